#!/bin/bash
# A blank page, driven from outside with real input: "白紙ページを挿入" from
# the popup of the second picture puts a blank item named "（白紙）" between
# the two pictures, selected; a file copied into the folder meanwhile does
# not move it; 画像合計 counts the files only; in the PDF it is a white page
# the size of the page before it, and only the pictures have bookmarks;
# Delete takes it out of the list and no file goes. Screenshots go to the
# test output.
#
#   blank-e2e.sh <Pim.exe> <probe.exe> <test output folder>
gui=$1 probe_exe=$2 out=$3
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/blank-e2e
rm -rf "$folder"
mkdir -p "$folder/work"

# Pictures of three sizes and colours: the page before the blank one can be told.
convert -size 64x32 xc:'#dc1e1e' -quality 95 "$folder/p1.jpg"
convert -size 40x80 xc:'#1ec81e' -quality 95 "$folder/p2.jpg"
convert -size 50x50 xc:'#1e1edc' -quality 95 "$folder/p3.jpg"

start_pim "$(winpath "$folder")"
wait_until names_are "p1.jpg p2.jpg p3.jpg" || fail "the list shows [$(row_line)], not the three pictures"
status() { probe controls "Pim-ピム-" | grep -m1 "^msctls_statusbar32" | cut -d'|' -f2; }
status_is() { [ "$(status)" = "$1" ]; }

# The popup of p2: Down passes ＰＤＦ作成(選択画像), 画像移動（登録）, the greyed
# 画像移動（移動） and the three turns, then reaches 白紙ページを挿入.
popup 1 blank-popup.png Down Down Down Down Down Down Down Return
wait_until rows_are "p1.jpg *（白紙） p2.jpg p3.jpg" ||
  fail "after 白紙ページを挿入 the list shows [$(row_line)], not the blank page chosen before p2.jpg"
wait_until status_is "画像合計：3" || fail "the status bar says \"$(status)\", not 画像合計：3"

# A file new in the folder goes to its sorted place; the blank page stays
# between the pictures it was put between.
cp "$folder/p3.jpg" "$folder/p0.jpg"
wait_until names_are "p0.jpg p1.jpg （白紙） p2.jpg p3.jpg" ||
  fail "after a file was added the list shows [$(row_line)]"
wait_until status_is "画像合計：4" || fail "the status bar says \"$(status)\", not 画像合計：4"
shoot blank-list.png

run_pdf blank.pdf
pdf=$folder/blank.pdf
qpdf --check "$pdf" >/dev/null || fail "qpdf --check refuses the PDF"
sizes=$(pdfinfo -f 1 -l 5 "$pdf" | sed -n 's/^Page *[0-9]* size: *\([0-9]*\) x \([0-9]*\) pts/\1x\2/p' | tr '\n' ' ')
[ "$sizes" = "50x50 64x32 64x32 40x80 50x50 " ] || fail "page sizes: $sizes (the blank page third, as p1.jpg before it)"
pdftocairo -r 72 -png -f 3 -l 3 "$pdf" "$folder/work/blank"
white=$(convert "$folder"/work/blank-*3.png -format '%[fx:minima]' info:)
[ "$white" = 1 ] || fail "the blank page is not all white (darkest $white)"
titles=$(qpdf --json --json-key=outlines "$pdf" | python3 -c '
import json, sys
print(" ".join(o["title"] for o in json.load(sys.stdin)["outlines"]))')
[ "$(echo "$titles" | wc -w)" = 4 ] || fail "bookmarks: $titles (one for each of the four pictures)"
shoot blank-after-run.png

# Delete on the blank page: out of the list, no question, every file stays.
click_client "$main" $(row_xy 2)
wait_until rows_are "p0.jpg p1.jpg *（白紙） p2.jpg p3.jpg" || fail "the blank page was not chosen: [$(row_line)]"
press "$main" Delete
wait_until names_are "p0.jpg p1.jpg p2.jpg p3.jpg" || fail "after Delete the list shows [$(row_line)]"
sleep 1
gone "ファイルの削除の確認" || fail "Delete on a blank page asked to delete a file"
for f in p0 p1 p2 p3; do [ -f "$folder/$f.jpg" ] || fail "$f.jpg is gone from the folder"; done
wait_until status_is "画像合計：4" || fail "the status bar says \"$(status)\", not 画像合計：4"
shoot blank-deleted.png

close_pim
echo "PASS: 白紙ページを挿入 put a blank page between two pictures, a new file left it there, Delete took it out of the list only"
