#!/bin/bash
# The list as a shell folder, driven from outside as a user drives it: two
# rows selected with the mouse (the second with Ctrl held), Ctrl+C, and the
# clipboard read by another X client (xclip); a drag out of the list; then
# Delete, the shell's question answered, the files gone, and a PDF of the
# list one page per remaining file. Screenshots of the selection, the drag
# and the question go to the test output.
#
#   shell-e2e.sh <Pim.exe> <test output folder>
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

gui=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$root/scripts/wine-run
folder=$out/shell-e2e
rm -rf "$folder"
"$root/scripts/make-sample-folder" "$folder" >/dev/null
folder=$(realpath "$folder")
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
command -v xclip >/dev/null || fail "xclip is missing (scripts/setup installs it)"

"$wine_run" "$gui" "$(winpath "$folder")" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
sleep 1

# A click on a row's picture (x 350) selects it without starting the label
# editor.
click_client "$main" 782 442 350 "$(row_y 0)"
sleep 0.3
move_client "$main" 782 442 350 "$(row_y 1)"
xdotool keydown ctrl click 1 keyup ctrl
sleep 0.5
import -window root "$out/shell-e2e-selected.png"

# Ctrl+C: the clipboard offers the two files, in row order, to X clients as
# a URI list with every byte %-escaped.
xdotool key ctrl+c
sleep 0.5
uris=""
for _ in $(seq 1 20); do
  uris=$(xclip -o -selection clipboard -t text/uri-list 2>/dev/null | tr -d '\r') && [ -n "$uris" ] && break
  sleep 0.25
done
[ -n "$uris" ] || fail "no file list on the clipboard (targets: $(xclip -o -selection clipboard -t TARGETS 2>&1 | tr '\n' ' '))"
copied=$(printf '%s\n' "$uris" | python3 -c 'import sys, urllib.parse
for line in sys.stdin.read().split():
    print(urllib.parse.unquote(line.removeprefix("file://")))')
expected=$(printf '%s\n' "$folder/01-plasma.jpg" "$folder/02-grey-steps.jpg")
[ "$copied" = "$expected" ] || fail "clipboard holds [$copied], expected [$expected]"

# A drag out of the list: pressed on a selected picture, moved with the
# button held, let go over the window's left half. The drag loop ends
# there, the files stay, and the window goes on answering.
move_client "$main" 782 442 350 "$(row_y 0)"
xdotool mousedown 1
for x in 330 300 250 200 150; do
  move_client "$main" 782 442 "$x" 120
  sleep 0.1
done
sleep 0.3
import -window root "$out/shell-e2e-drag.png"
xdotool mouseup 1
sleep 0.5
[ -e "$folder/01-plasma.jpg" ] && [ -e "$folder/02-grey-steps.jpg" ] || fail "dragging out lost a file"
move_client "$main" 782 442 350 "$(row_y 1)"

# Delete: the shell asks once, the two files go, the rest stay.
xdotool key Delete
wait_window "ファイルの削除の確認" >/dev/null || fail "the shell did not ask before deleting"
sleep 0.5
import -window root "$out/shell-e2e-delete.png"
# Wine may make the box's X window anew while it shows it: answer whichever
# window carries the caption now, and only while one is shown. A key sent
# after the box has gone reaches the main window instead, where Enter presses
# the focused button.
for _ in $(seq 1 40); do
  [ -e "$folder/01-plasma.jpg" ] || [ -e "$folder/02-grey-steps.jpg" ] || break
  question=$(xdotool search --onlyvisible --name "^ファイルの削除の確認\$" 2>/dev/null | tail -n 1) || true
  [ -n "$question" ] && xdotool key --window "$question" Return 2>/dev/null || true
  sleep 0.5
done
# The box goes on the key's press, so Wine never sees the release and keeps
# repeating Enter into the main window: let the key go.
xdotool keyup Return
[ -e "$folder/01-plasma.jpg" ] && fail "01-plasma.jpg was not deleted"
[ -e "$folder/02-grey-steps.jpg" ] && fail "02-grey-steps.jpg was not deleted"
[ -e "$folder/03-progressive.jpg" ] || fail "03-progressive.jpg went too"
sleep 1

# The list followed: "PDF作成" makes one page per file still listed.
click_client "$main" 782 442 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the run did not finish"
sleep 0.5
click_client "$dialog" 335 102 276 84
sleep 1
pages=$(pdfinfo "$folder/default.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 7 ] || fail "the PDF has $pages pages, not 7: the list did not shrink"

xdotool key --window "$main" alt+F4 2>/dev/null || true
wait $pid || true
trap - EXIT
echo "PASS: Ctrl+C put the two selected files on the clipboard; Delete removed them and the list followed"
