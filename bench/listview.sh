#!/bin/bash
# The thumbnail list on 1,000 photos of 3000 x 2000 under Wine: time to the
# first screen of thumbnails, to all of them, the GUI thread's longest stall
# and the memory beyond the sheets (medians). Target: no stall above 50 ms,
# entering the folder included.
#
#   bench/listview.sh [RUNS] [PHOTOS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32-bench
folder=$root/build/bench-listview
runs=${1:-3}
photos=${2:-1000}

cmake --preset win32 -B "$build" -DPIM_BUILD_BENCH=ON -DPIM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target listview_bench >/dev/null

if [ "$(ls "$folder"/*.jpg 2>/dev/null | wc -l)" -ne "$photos" ]; then
  rm -rf "$folder"
  mkdir -p "$folder"
  convert -seed 3 -size 3000x2000 plasma:fractal -quality 88 "$folder/photo0000.jpg"
  for i in $(seq 1 $((photos - 1))); do cp "$folder/photo0000.jpg" "$(printf '%s/photo%04d.jpg' "$folder" "$i")"; done
fi
"$root/scripts/wine-run" "$build/bench/win32/listview_bench.exe" "Z:${folder//\//\\}" "$runs"
