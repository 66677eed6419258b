#!/bin/bash
# PNG files in the window, driven from outside with real mouse input: the
# list shows their thumbnails (transparency over the list's white), the
# "png" box takes them out of the list and puts them back, and "PDF作成"
# makes a page of each in list order. Screenshots go to the test output.
#
#   png-e2e.sh <Pim.exe> <test output folder>
gui=$1 out=$2
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/png-e2e
rm -rf "$folder"
mkdir -p "$folder"
# A screenshot-like RGB picture (kept compressed), a disc on a transparent
# ground (decoded over white), a palette picture and a JPEG between them.
convert -size 160x100 xc:'#e8e8f0' -fill '#3060c0' -draw 'rectangle 0,0 160,18' -fill black \
  -draw 'rectangle 10,30 150,34' -draw 'rectangle 10,44 120,48' -depth 8 -define png:color-type=2 "$folder/a-screen.png"
convert -size 120x120 xc:none -fill '#d02020' -draw 'circle 60,60 60,10' -depth 8 -define png:color-type=6 "$folder/b-disc.png"
convert -size 90x60 gradient:yellow-green -quality 90 "$folder/c-photo.jpg"
convert -size 100x80 pattern:checkerboard -fill blue -colorize 40 -colors 8 -define png:color-type=3 "$folder/d-palette.png"

start_pim "$(winpath "$folder")"
all="a-screen.png b-disc.png c-photo.jpg d-palette.png"
wait_until names_are "$all" || fail "the list shows [$(row_line)], not the four pictures"
shoot png-thumbnails.png

bookmarks() { qpdf --json=2 --json-key=outlines "$1" | python3 -c 'import json, sys
print(" ".join(o["title"] for o in json.load(sys.stdin)["outlines"]))'; }

# The "png" box (CheckBox7 at 282, 2 on the bar at 342, 34): off, then on.
click_client "$main" 645 47
wait_until names_are c-photo.jpg || fail "with the png box off the list shows [$(row_line)]"
shoot png-filtered.png
run_pdf without.pdf
[ "$(bookmarks "$folder/without.pdf")" = "c-photo" ] || fail "with the png box off: $(bookmarks "$folder/without.pdf")"
click_client "$main" 645 47
wait_until names_are "$all" || fail "with the png box on again the list shows [$(row_line)]"
run_pdf with.pdf
[ "$(bookmarks "$folder/with.pdf")" = "a-screen b-disc c-photo d-palette" ] ||
  fail "with the png box on: $(bookmarks "$folder/with.pdf")"
qpdf --check "$folder/with.pdf" >/dev/null || fail "qpdf --check refuses the PDF"
sizes=$(pdfinfo -f 1 -l 4 "$folder/with.pdf" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x \([0-9]*\) pts/\1x\2/p' | tr '\n' ' ')
[ "$sizes" = "160x100 120x120 90x60 100x80 " ] || fail "page sizes: $sizes"

close_pim
echo "PASS: the png box filtered the list from outside, and PDF作成 made the PNG pages in list order"
