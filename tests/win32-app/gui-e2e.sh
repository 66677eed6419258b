#!/bin/bash
# Pim.exe driven from outside, as a user drives it: started on a folder, found
# by its caption, "PDF作成" clicked with real mouse input, the dialog's
# finished state awaited, "閉じる" clicked, and the PDF compared with the one
# the command line makes of the same folder (dates aside). Then pages are
# reordered with the list's popup menu and a second PDF shows the new order;
# a thumbnail dragged to another place moves there too (Escape first
# cancelling such a drag). Screenshots of the main window, the finished
# dialog, the popup and the drag's insertion mark go to the test output.
#
#   gui-e2e.sh <Pim.exe> <pim.exe> <probe.exe> <test output folder>
gui=$1 cli=$2 probe_exe=$3 out=$4
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/gui-e2e
rm -rf "$folder"
"$root/scripts/make-sample-folder" "$folder" >/dev/null

start_pim "$(winpath "$folder")"
listed="01-plasma.jpg 02-grey-steps.jpg 03-progressive.jpg 04-cmyk.jpg 05-colour-24bit.bmp 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
wait_until names_are "$listed" || fail "the list shows [$(row_line)], not the sample folder"
shoot gui-main.png

# "PDF作成": Button4 at 192, 392, 97 x 25 of the 782 x 442 client area.
click_client "$main" 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the run did not finish"
shoot gui-finished.png
# "閉じる": Button2 at 228, 72, 97 x 25 of the finished 335 x 102 client area.
click_client "$dialog" 276 84
wait_gone "ＰＤＦ作成終了" || fail "the dialog did not close"
[ -s "$folder/default.pdf" ] || fail "no default.pdf in the folder"
mv "$folder/default.pdf" "$folder/first.pdf"

# "参照..." (at 713, 374 of the client area) opens the folder browser on the
# image folder: Enter keeps it, and the list stays as it is. The dialog is
# shown once it has filled its tree and selected the image folder.
click_client "$main" 740 383
browser=$(wait_window "フォルダーの参照") || fail "参照... did not open the folder browser"
shoot gui-choose-folder.png
press "$browser" Return
wait_gone "フォルダーの参照" || fail "the folder browser stayed open"
names_are "$listed" || fail "the list after the folder browser: $(row_line)"

# "画像移動（移動）" is greyed before a registration: choosing it does nothing
# (after the run the working list holds paths, which a move would misread).
popup 2 gui-popup.png Down Down Down Return
popup 2 - Down Down Return          # "画像移動（登録）" on row 2
popup 0 - Down Down Down Return     # "画像移動（移動）" to row 0
run_pdf second.pdf
sizes() { pdfinfo -f 1 -l 9 "$1" | sed -n 's/^Page *[0-9]* size: *//p'; }
mapfile -t before < <(sizes "$folder/first.pdf")
mapfile -t after < <(sizes "$folder/second.pdf")
expected=("${before[2]}" "${before[0]}" "${before[1]}" "${before[@]:3}")
[ "${after[*]}" = "${expected[*]}" ] || fail "page order after the move: ${after[*]} (expected ${expected[*]})"

# The user's order outlives the runs: writing the PDF into the folder woke
# the folder watcher, and the list kept its order. A third PDF has it too.
# The titles from their number on (the Shift_JIS one reads as other
# characters before it through qpdf).
bookmarks() { qpdf --json=2 --json-key=outlines "$1" | python3 -c 'import json, re, sys
print(" ".join(re.search(r"\d\d\w?-\S*", o["title"]).group() for o in json.load(sys.stdin)["outlines"]))'; }
moved="03-progressive 01-plasma 02-grey-steps 04-cmyk 05-colour-24bit 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme"
[ "$(bookmarks "$folder/second.pdf")" = "$moved" ] || fail "bookmarks after the move: $(bookmarks "$folder/second.pdf")"
shoot gui-after-runs.png
run_pdf third.pdf
[ "$(bookmarks "$folder/third.pdf")" = "$moved" ] || fail "the order was lost after a run: $(bookmarks "$folder/third.pdf")"
# A picture copied in from outside goes to its sorted place (after
# 02-grey-steps, the picture before it in name order); the rest keep the
# user's order.
moved_rows="03-progressive.jpg 01-plasma.jpg 02-grey-steps.jpg 04-cmyk.jpg 05-colour-24bit.bmp 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
cp "$folder/01-plasma.jpg" "$folder/02b-copy.jpg"
wait_until names_are "${moved_rows/02-grey-steps.jpg/02-grey-steps.jpg 02b-copy.jpg}" || fail "after the copy the list shows [$(row_line)]"
shoot gui-after-copy.png
run_pdf fourth.pdf
with_copy="03-progressive 01-plasma 02-grey-steps 02b-copy 04-cmyk 05-colour-24bit 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme"
[ "$(bookmarks "$folder/fourth.pdf")" = "$with_copy" ] || fail "after the copy: $(bookmarks "$folder/fourth.pdf")"
rm "$folder/02b-copy.jpg"
wait_until names_are "$moved_rows" || fail "after the copy was removed the list shows [$(row_line)]"

# Dragging: 01-plasma (row 1) pressed on, moved with the button held over
# the list. Escape ends the first drag with nothing moved; the second is let
# go in the lower half of 04-cmyk (row 3, second column), so the picture
# lands between it and 05-colour-24bit.
drag_to() {  # drag_to <x> <y>: press on row 1's picture (selecting it), move there in steps
  local sx sy
  read -r sx sy <<<"$(row_xy 1)"
  move_client "$main" "$sx" "$sy"
  press_alone
  for step in 1 2 3 4; do
    move_client "$main" $((sx + ($1 - sx) * step / 4)) $((sy + ($2 - sy) * step / 4))
    if [ "$step" = 1 ]; then
      wait_until eval '! no_capture' || fail "pressing on a picture and moving started no drag"
    fi
  done
}
drop() {  # the button let go; returns once the drag loop has let the mouse go
  xdotool mouseup 1
  wait_until no_capture || fail "the drag did not end"
}
names_are "$moved_rows" || fail "the list before the drag: $(row_line)"
read -r tx ty <<<"$(row_xy 3)"
drag_to "$tx" "$((ty + 40))"
xdotool key Escape
drop
rows_are "${moved_rows/01-plasma/*01-plasma}" || fail "Escape did not cancel the drag: $(row_line)"
drag_to "$tx" "$((ty + 40))"
shoot gui-drag-mark.png
drop
dragged="03-progressive.jpg 02-grey-steps.jpg 04-cmyk.jpg *01-plasma.jpg 05-colour-24bit.bmp 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
wait_until rows_are "$dragged" || fail "the list after the drag: $(row_line)"
run_pdf fifth.pdf
[ "$(bookmarks "$folder/fifth.pdf")" = "03-progressive 02-grey-steps 04-cmyk 01-plasma 05-colour-24bit 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme" ] ||
  fail "bookmarks after the drag: $(bookmarks "$folder/fifth.pdf")"

# Close the main window before the command line runs in the same prefix.
close_pim

"$wine_run" "$cli" --quiet -o cli "$(winpath "$folder")"
# Dates, the randomly numbered image names and what their lengths shift
# (content lengths and byte offsets) are allowed to differ.
mask() {
  perl -0pe 's/\(D:\d{14}\)/(D:date)/g; s/PR(Jpeg)?Image\d+/PRImageN/g; s/\/Length \d+/\/Length N/g;
             s/^\d{10} \d{5} ([nf])/OFFSET $1/mg; s/startxref\s+\d+/startxref N/g' "$1"
}
cmp <(mask "$folder/first.pdf") <(mask "$folder/cli.pdf") || fail "the window's PDF differs from pim's"
pages=$(pdfinfo "$folder/first.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 9 ] || fail "the PDF has $pages pages, not 9"
echo "PASS: Pim.exe made the same 9-page PDF as pim.exe, the moved page came first, the order outlived the runs and a new picture, and a dragged page moved"
