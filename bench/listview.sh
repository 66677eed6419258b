#!/bin/bash
# The thumbnail list under Wine on three folders: 1,000 photos of 3000 x 2000
# without an EXIF preview, the same photos carrying the small preview a
# camera embeds, and 10,000 small pictures. For each, the medians of RUNS:
# entering the folder (the listing: until its rows are painted), the first
# screen of thumbnails, all of them, the GUI thread's longest stall (the
# listing included), the memory beyond the thumbnail sheets, and the number
# of thumbnail workers; then a table of them with the targets beside.
#
#   bench/listview.sh [RUNS]
#
# The folders are made once under build/ and kept for later runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32-bench
plain=$root/build/bench-listview
exif=$root/build/bench-listview-exif
many=$root/build/bench-listview-10000
runs=${1:-3}

cmake --preset win32 -B "$build" -DPIM_BUILD_BENCH=ON -DPIM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target listview_bench >/dev/null

# The folder holds COUNT pictures.
ready() { [ "$(find "$1" -maxdepth 1 -name '*.jpg' 2>/dev/null | wc -l)" -eq "$2" ]; }

# fill FOLDER COUNT PICTURE: the folder anew, with COUNT copies of PICTURE
# named photo0000.jpg on (as many digits as COUNT has).
fill() {
  rm -rf "$1"
  mkdir -p "$1"
  python3 - "$@" <<'EOF'
import shutil, sys
folder, count, picture = sys.argv[1], int(sys.argv[2]), sys.argv[3]
for i in range(count):
    shutil.copyfile(picture, f"{folder}/photo{i:0{len(str(count))}d}.jpg")
EOF
}

made=$(mktemp -d)
trap 'rm -rf "$made"' EXIT
if ! ready "$plain" 1000 || ! ready "$exif" 1000; then
  convert -seed 3 -size 3000x2000 plasma:fractal -quality 88 "$made/photo.jpg"
  ready "$plain" 1000 || fill "$plain" 1000 "$made/photo.jpg"
  # As a camera writes it: the orientation in the first directory, a
  # 160 x 107 JPEG (the photo's aspect) in the second.
  cp "$made/photo.jpg" "$made/camera.jpg"
  convert "$made/photo.jpg" -resize '160x107!' -quality 80 "$made/preview.jpg"
  exiftool -q -overwrite_original -Orientation#=1 "-ThumbnailImage<=$made/preview.jpg" "$made/camera.jpg"
  exiftool -b -ThumbnailImage "$made/camera.jpg" | cmp -s - "$made/preview.jpg" ||
    { echo "listview.sh: exiftool wrote no preview" >&2; exit 1; }
  ready "$exif" 1000 || fill "$exif" 1000 "$made/camera.jpg"
fi
if ! ready "$many" 10000; then
  convert -seed 5 -size 320x240 plasma:fractal -quality 88 "$made/small.jpg"
  fill "$many" 10000 "$made/small.jpg"
fi

wine_path() { echo "Z:${1//\//\\}"; }

# The machine may be shared: its load beside the figures.
echo "load average (1, 5, 15 min) before: $(cut -d" " -f1-3 /proc/loadavg)"
"$root/scripts/wine-run" "$build/bench/win32/listview_bench.exe" "$runs" \
  "1,000 photos" "$(wine_path "$plain")" "first screen <= 400 ms, all <= 11 s" \
  "1,000 with EXIF preview" "$(wine_path "$exif")" "first screen <= 150 ms, all <= 2 s" \
  "10,000 small pictures" "$(wine_path "$many")" "listing <= 100 ms, longest stall <= 50 ms"
echo "load average (1, 5, 15 min) after: $(cut -d" " -f1-3 /proc/loadavg)"
