#!/bin/bash
# Scanner and web pictures from outside with real input: a folder with a
# 3-page TIFF (a fax page among them), a GIF and a WebP lists them with their
# thumbnails (a screenshot), the tif/gif/webp box hides and shows them, and
# PDF作成 gives five pages, the TIFF's bookmarked "scan (n/3)".
#
#   kinds-e2e.sh <Pim.exe> <probe.exe> <test output folder>
gui=$1 probe_exe=$2 out=$3
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/kinds-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x48 gradient:white-black -size 48x64 gradient:black-white -size 80x60 pattern:checkerboard -monochrome \
  -compress group4 "$folder/scan.tif"
convert -size 60x40 gradient:'#1e64c8'-'#f0f0f0' -colors 16 "$folder/logo.gif"
convert -size 50x50 plasma:fractal -quality 80 "$folder/photo.webp"
[ "$(identify "$folder/scan.tif" | wc -l)" = 3 ] || fail "the test TIFF does not have three pages"

start_pim "$(winpath "$folder")"
listed="logo.gif photo.webp scan.tif"
wait_until names_are "$listed" || fail "the list shows [$(row_line)], not the three files"
sleep 1  # the thumbnails are drawn
shoot kinds-list.png
# The "tif/gif/webp" box (CheckBox9 at 324, 2 on the bar at 342, 34): off, then on.
click_client "$main" 710 47
wait_until count_is 0 || fail "with the tif/gif/webp box off the list shows [$(row_line)]"
click_client "$main" 710 47
wait_until names_are "$listed" || fail "with the box on again the list shows [$(row_line)]"
run_pdf kinds.pdf
close_pim

pdf=$folder/kinds.pdf
qpdf --check "$pdf" >/dev/null || fail "qpdf --check refuses the PDF"
titles=$(qpdf --json=2 --json-key=outlines "$pdf" | python3 -c 'import json, sys
print(" / ".join(o["title"] for o in json.load(sys.stdin)["outlines"]))')
[ "$titles" = "logo / photo / scan (1/3) / scan (2/3) / scan (3/3)" ] || fail "bookmarks: $titles"
sizes=$(pdfinfo -f 1 -l 5 "$pdf" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x \([0-9]*\) pts/\1x\2/p' | tr '\n' ' ')
[ "$sizes" = "60x40 50x50 64x48 48x64 80x60 " ] || fail "page sizes: $sizes"
echo "PASS: a 3-page TIFF, a GIF and a WebP listed with thumbnails, filtered by their box, and made into five pages"
