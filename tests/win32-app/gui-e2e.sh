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
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

gui=$1 cli=$2 probe_exe=$3 out=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$root/scripts/wine-run
folder=$out/gui-e2e
rm -rf "$folder"
"$root/scripts/make-sample-folder" "$folder" >/dev/null
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"

"$wine_run" "$gui" "$(winpath "$folder")" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
sleep 1
import -window root "$out/gui-main.png"

# "PDF作成": Button4 at 192, 392, 97 x 25 of the 782 x 442 client area.
click_client "$main" 782 442 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the run did not finish"
sleep 0.5
import -window root "$out/gui-finished.png"
# "閉じる": Button2 at 228, 72, 97 x 25 of the finished 335 x 102 client area.
click_client "$dialog" 335 102 276 84
for _ in $(seq 1 40); do
  xdotool search --name "^ＰＤＦ作成終了\$" >/dev/null 2>&1 || break
  sleep 0.25
done
xdotool search --name "^ＰＤＦ作成終了\$" >/dev/null 2>&1 && fail "the dialog did not close"

[ -s "$folder/default.pdf" ] || fail "no default.pdf in the folder"
cp "$folder/default.pdf" "$folder/first.pdf"

# "参照..." (at 713, 374 of the client area) opens the folder browser on the
# image folder: Enter keeps it, and the list stays as it is.
click_client "$main" 782 442 740 383
browser=$(wait_window "フォルダーの参照") || fail "参照... did not open the folder browser"
# The dialog's window is there before it is shown: it first fills its tree
# and selects the image folder, which takes seconds on a busy machine, and
# Enter before that would choose another folder.
for _ in $(seq 1 80); do
  xdotool search --onlyvisible --name "^フォルダーの参照\$" >/dev/null 2>&1 && break
  sleep 0.25
done
sleep 0.5
import -window root "$out/gui-choose-folder.png"
xdotool key --window "$browser" Return
xdotool keyup Return
sleep 1
xdotool search --onlyvisible --name "^フォルダーの参照\$" >/dev/null 2>&1 && fail "the folder browser stayed open"

# "画像移動（移動）" is greyed before a registration: choosing it does nothing
# (after the run the working list holds paths, which a move would misread).
popup 2 gui-popup.png Down Down Down Return
popup 2 - Down Down Return          # "画像移動（登録）" on row 2
popup 0 - Down Down Down Return     # "画像移動（移動）" to row 0
click_client "$main" 782 442 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the second run did not finish"
click_client "$dialog" 335 102 276 84
sleep 1
sizes() { pdfinfo -f 1 -l 9 "$1" | sed -n 's/^Page *[0-9]* size: *//p'; }
mapfile -t before < <(sizes "$folder/first.pdf")
mapfile -t after < <(sizes "$folder/default.pdf")
expected=("${before[2]}" "${before[0]}" "${before[1]}" "${before[@]:3}")
[ "${after[*]}" = "${expected[*]}" ] || fail "page order after the move: ${after[*]} (expected ${expected[*]})"

# The user's order outlives the runs: writing the PDF into the folder woke
# the folder watcher, and the list kept its order. A third PDF has it too.
# The titles from their number on (the Shift_JIS one reads as other
# characters before it through qpdf).
bookmarks() { qpdf --json=2 --json-key=outlines "$1" | python3 -c 'import json, re, sys
print(" ".join(re.search(r"\d\d\w?-\S*", o["title"]).group() for o in json.load(sys.stdin)["outlines"]))'; }
moved="03-progressive 01-plasma 02-grey-steps 04-cmyk 05-colour-24bit 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme"
[ "$(bookmarks "$folder/default.pdf")" = "$moved" ] || fail "bookmarks after the move: $(bookmarks "$folder/default.pdf")"
sleep 1.5
import -window root "$out/gui-after-runs.png"
run_pdf third.pdf
[ "$(bookmarks "$folder/third.pdf")" = "$moved" ] || fail "the order was lost after a run: $(bookmarks "$folder/third.pdf")"
# A picture copied in from outside goes to its sorted place (after
# 02-grey-steps, the picture before it in name order); the rest keep the
# user's order.
cp "$folder/01-plasma.jpg" "$folder/02b-copy.jpg"
sleep 1.5
import -window root "$out/gui-after-copy.png"
run_pdf fourth.pdf
with_copy="03-progressive 01-plasma 02-grey-steps 02b-copy 04-cmyk 05-colour-24bit 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme"
[ "$(bookmarks "$folder/fourth.pdf")" = "$with_copy" ] || fail "after the copy: $(bookmarks "$folder/fourth.pdf")"
rm "$folder/02b-copy.jpg"
sleep 1.5

# Dragging: 01-plasma (row 1) pressed on, moved with the button held over
# the list. Escape ends the first drag with nothing moved; the second is let
# go in the lower half of 05-colour-24bit (row 4, second column), so the
# picture lands between it and 06-palette-8bit.
rows() { probe "$probe_exe" rows "Pim-ピム-" | tr '\n' ' ' | sed 's/ $//'; }
drag_to() {  # drag_to <x> <y>: press on row 1's picture (selecting it), move there in steps
  move_client "$main" 782 442 350 "$(row_y 1)"
  xdotool mousedown 1
  for step in 1 2 3 4; do
    move_client "$main" 782 442 $((350 + ($1 - 350) * step / 4)) $(($(row_y 1) + ($2 - $(row_y 1)) * step / 4))
    sleep 0.15
  done
  sleep 0.3
}
listed="03-progressive.jpg 01-plasma.jpg 02-grey-steps.jpg 04-cmyk.jpg 05-colour-24bit.bmp 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
[ "$(rows | tr -d '*')" = "$listed" ] || fail "the list before the drag: $(rows)"
drag_to 560 "$(( $(row_y 1) + 40 ))"
xdotool key Escape
sleep 0.3
xdotool mouseup 1
sleep 0.5
[ "$(rows)" = "${listed/01-plasma/*01-plasma}" ] || fail "Escape did not cancel the drag: $(rows)"
drag_to 560 "$(( $(row_y 1) + 40 ))"
import -window root "$out/gui-drag-mark.png"
xdotool mouseup 1
sleep 0.5
dragged="03-progressive.jpg 02-grey-steps.jpg 04-cmyk.jpg 05-colour-24bit.bmp *01-plasma.jpg 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
[ "$(rows)" = "$dragged" ] || fail "the list after the drag: $(rows)"
run_pdf fifth.pdf
[ "$(bookmarks "$folder/fifth.pdf")" = "03-progressive 02-grey-steps 04-cmyk 05-colour-24bit 01-plasma 06-palette-8bit 07-checker-1bit 08-夕焼け 09-readme" ] ||
  fail "bookmarks after the drag: $(bookmarks "$folder/fifth.pdf")"

# Close the main window before the command line runs in the same prefix.
xdotool key --window "$main" alt+F4 2>/dev/null || true
wait $pid || true
trap - EXIT

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
