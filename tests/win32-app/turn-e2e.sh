#!/bin/bash
# Turned pages, driven from outside with real input: "EXIF回転" clicked on a
# folder of the eight EXIF orientations stands every page upright, and
# "右に90°回転" from the list's popup turns a landscape picture's page
# clockwise; every JPEG goes into the PDF byte for byte. Screenshots go to
# the test output.
#
#   turn-e2e.sh <Pim.exe> <test output folder>
gui=$1 out=$2
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/turn-e2e
rm -rf "$folder"
mkdir -p "$folder/work"

# The scene: four quarters of four colours, 64 x 32, upright.
upright=$folder/work/upright.png
convert \( -size 32x16 xc:'#dc1e1e' xc:'#1ec81e' +append \) \( -size 32x16 xc:'#1e1edc' xc:'#f0f0f0' +append \) \
  -append +repage "$upright"
convert "$upright" -quality 95 "$folder/a-landscape.jpg"
# Each orientation stored as a camera stores it (the upright scene undone by
# what the orientation asks of a viewer), and the orientation tag in an
# APP1 "Exif" segment right after the start marker.
stored=("" "" -flop "-rotate 180" -flip -transpose "-rotate 270" -transverse "-rotate 90")
for o in 1 2 3 4 5 6 7 8; do
  # shellcheck disable=SC2086  # the operation is one or two words
  convert "$upright" ${stored[o]} -quality 95 "$folder/work/o$o.jpg"
  python3 - "$folder/work/o$o.jpg" "$o" "$folder/o$o.jpg" <<'PY'
import struct, sys
jpeg, o = open(sys.argv[1], "rb").read(), int(sys.argv[2])
e = "<" if o % 2 else ">"
tiff = (b"II" if o % 2 else b"MM") + struct.pack(e + "HI", 42, 8)
tiff += struct.pack(e + "HHHIHHI", 1, 0x0112, 3, 1, o, 0, 0)
exif = b"Exif\0\0" + tiff
open(sys.argv[3], "wb").write(jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:])
PY
done

start_pim "$(winpath "$folder")"
wait_until count_is 9 || fail "the list shows [$(row_line)], not the nine pictures"
shoot turn-stored.png

# "EXIF回転" (CheckBox8 at 8, 392, left of "JPEG再変換") is on at the first
# start; clicked off and on again, it is remembered. Then "右に90°回転" on the
# landscape picture: Down passes ＰＤＦ作成(選択画像), 画像移動（登録）and the
# greyed 画像移動（移動）.
exif_on() { probe checked "Pim-ピム-" | grep -qx "EXIF回転"; }
wait_until exif_on || fail "EXIF回転 is not on at the first start"
click_client "$main" 40 404
wait_until eval '! exif_on' || fail "EXIF回転 did not go off"
click_client "$main" 40 404
wait_until exif_on || fail "EXIF回転 was not ticked again"
shoot turn-exif.png
popup 0 turn-popup.png Down Down Down Down Return
shoot turn-turned.png
run_pdf turned.pdf
pdf=$folder/turned.pdf

sizes=$(pdfinfo -f 1 -l 9 "$pdf" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x \([0-9]*\) pts/\1x\2/p' | tr '\n' ' ')
[ "$sizes" = "32x64 64x32 64x32 64x32 64x32 64x32 64x32 64x32 64x32 " ] || fail "page sizes: $sizes"
pdfimages -j "$pdf" "$folder/work/image"
sources=("$folder/a-landscape.jpg")
for o in 1 2 3 4 5 6 7 8; do sources+=("$folder/o$o.jpg"); done
pdftocairo -r 72 -png "$pdf" "$folder/work/page"
# The mean difference from what the page must show, 0 to 1: a wrong turn or
# mirror swaps whole quarters (about 0.3 and more).
differs() { compare -metric MAE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/' | awk '{ exit !($1 > 0.04) }'; }
convert "${sources[0]}" -rotate 90 "$folder/work/turned.png"
for i in 0 1 2 3 4 5 6 7 8; do
  cmp -s "$folder/work/image-00$i.jpg" "${sources[i]}" || fail "page $((i + 1)): the JPEG is not the file's bytes"
  want=$upright
  [ "$i" = 0 ] && want=$folder/work/turned.png
  differs "$folder/work/page-$((i + 1)).png" "$want" && fail "page $((i + 1)) ($(basename "${sources[i]}")) does not show $(basename "$want")"
done
grep -q '^AutoOrient=1' "$settings_dir/Pim.ini" || fail "Pim.ini does not remember EXIF回転"

close_pim
echo "PASS: EXIF回転 stood the eight orientations upright, 右に90°回転 turned the landscape page, the JPEG bytes unchanged"
