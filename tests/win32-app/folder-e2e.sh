#!/bin/bash
# Pim.exe's folder deleted, made again and renamed away from outside (by
# Linux commands, as a file manager would): the list empties, and "PDF作成"
# says "画像が存在しません"; made again with 9 pictures, it is listed again and
# the PDF has 9 pages; renamed away, the list empties again. Screenshots
# gui-folder-gone.png and gui-folder-back.png go to the test output.
#
#   folder-e2e.sh <Pim.exe> <test output folder>
gui=$1 out=$2
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/folder-e2e

rm -rf "$folder" "$folder-away"
mkdir -p "$folder"
convert -size 160x120 plasma:fractal -quality 85 "$out/folder-e2e-source.jpg"
for i in 1 2 3; do cp "$out/folder-e2e-source.jpg" "$folder/p$i.jpg"; done

start_pim "$(winpath "$folder")"
wait_until count_is 3 || fail "the list shows [$(row_line)], not the three pictures"

pdf_says_no_pictures() {
  click_client "$main" 240 404
  local box
  box=$(wait_window "エラー") || fail "$1: PDF作成 showed no error"
  shoot folder-e2e-error.png "$box"
  click_control "$box" "Button|OK"
  wait_gone "エラー" || fail "$1: the error box did not close"
}

rm -rf "$folder"
wait_until count_is 0 || fail "deleted: the list still shows [$(row_line)]"
shoot gui-folder-gone.png
pdf_says_no_pictures "deleted"

mkdir -p "$folder"
for i in $(seq 1 9); do cp "$out/folder-e2e-source.jpg" "$folder/q$i.jpg"; done
wait_until count_is 9 || fail "made again: the list shows [$(row_line)], not the nine pictures"
shoot gui-folder-back.png
run_pdf again.pdf
pages=$(pdfinfo "$folder/again.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 9 ] || fail "the folder made again gave $pages pages, not 9"

mv "$folder" "$folder-away"
wait_until count_is 0 || fail "renamed away: the list still shows [$(row_line)]"
pdf_says_no_pictures "renamed away"

close_pim
echo "PASS: the list followed its folder through deletion, a new folder of the name and a rename"
