#!/bin/bash
# The list as a shell folder, driven from outside as a user drives it: two
# rows selected with the mouse (the second with Ctrl held), Ctrl+C, and the
# clipboard read by another X client (xclip); a drag out of the list; then
# Delete, the shell's question answered, the files gone, and a PDF of the
# list one page per remaining file. Screenshots of the selection, the drag
# and the question go to the test output.
#
#   shell-e2e.sh <Pim.exe> <test output folder>
gui=$1 out=$2
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
command -v xclip >/dev/null || fail "xclip is missing (scripts/setup installs it)"
folder=$out/shell-e2e
rm -rf "$folder"
"$root/scripts/make-sample-folder" "$folder" >/dev/null
folder=$(realpath "$folder")

start_pim "$(winpath "$folder")"
listed="01-plasma.jpg 02-grey-steps.jpg 03-progressive.jpg 04-cmyk.jpg 05-colour-24bit.bmp 06-palette-8bit.bmp 07-checker-1bit.bmp 08-夕焼け.jpg 09-readme.txt"
wait_until names_are "$listed" || fail "the list shows [$(row_line)], not the sample folder"

# A click on a row's picture selects it without starting the label editor.
click_client "$main" $(row_xy 0)
move_client "$main" $(row_xy 1)
xdotool keydown ctrl click 1 keyup ctrl
wait_until rows_are "*${listed/ / *}" || fail "the two rows were not chosen: $(row_line)"
shoot shell-e2e-selected.png

# Ctrl+C: the clipboard offers the two files, in row order, to X clients as
# a URI list with every byte %-escaped.
press "$main" ctrl+c
uris() { xclip -o -selection clipboard -t text/uri-list 2>/dev/null | tr -d '\r'; }
wait_until eval '[ -n "$(uris)" ]' || fail "no file list on the clipboard (targets: $(xclip -o -selection clipboard -t TARGETS 2>&1 | tr '\n' ' '))"
copied=$(uris | python3 -c 'import sys, urllib.parse
for line in sys.stdin.read().split():
    print(urllib.parse.unquote(line.removeprefix("file://")))')
expected=$(printf '%s\n' "$folder/01-plasma.jpg" "$folder/02-grey-steps.jpg")
[ "$copied" = "$expected" ] || fail "clipboard holds [$copied], expected [$expected]"

# A drag out of the list: pressed on a selected picture, moved with the
# button held, let go over the window's left half. The drag starts while
# the pointer is still over the list (the list sees only the moves over
# it), then goes on; the drag loop ends where it is let go, the files stay,
# and the window goes on answering.
move_client "$main" $(row_xy 0)
press_alone
move_client "$main" 330 120
wait_until eval '! no_capture' || fail "pressing on a picture and moving started no drag"
for x in 300 250 200 150; do
  move_client "$main" "$x" 120
done
shoot shell-e2e-drag.png
xdotool mouseup 1
wait_until no_capture || fail "the drag out did not end"
[ -e "$folder/01-plasma.jpg" ] && [ -e "$folder/02-grey-steps.jpg" ] || fail "dragging out lost a file"

# Delete: the shell asks once ("はい" answers), the two files go, the rest stay.
press "$main" Delete
question=$(wait_window "ファイルの削除の確認") || fail "the shell did not ask before deleting"
shoot shell-e2e-delete.png
click_control "$question" "Button|はい"
both_gone() { [ ! -e "$folder/01-plasma.jpg" ] && [ ! -e "$folder/02-grey-steps.jpg" ]; }
wait_until both_gone || fail "the two files were not deleted"
[ -e "$folder/03-progressive.jpg" ] || fail "03-progressive.jpg went too"
wait_gone "ファイルの削除の確認" || fail "the question stayed open"

# The list followed: "PDF作成" makes one page per file still listed.
wait_until count_is 7 || fail "the list did not shrink to 7 rows: $(row_line)"
run_pdf after-delete.pdf
pages=$(pdfinfo "$folder/after-delete.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 7 ] || fail "the PDF has $pages pages, not 7: the list did not shrink"

close_pim
echo "PASS: Ctrl+C put the two selected files on the clipboard; Delete removed them and the list followed"
