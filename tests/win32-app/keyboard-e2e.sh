#!/bin/bash
# Pim.exe by keyboard, from outside: real Tab presses walk the main window in
# the layout's order (the focused control read back through the Win32 API
# after each press), Shift+Tab walks back, Ctrl+Tab turns the tabs, and at
# the end of a run "閉じる" holds the focus and Enter closes the dialog.
# A screenshot shows the focus frame on "PDF作成". Last, the window is
# sized to 1200 x 800 as a border drag sizes it: the list area grows by as
# much as the window and the left column stays where it was.
#
#   keyboard-e2e.sh <Pim.exe> <probe.exe> <test output folder>
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

gui=$1 probe_exe=$2 out=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
folder=$out/keyboard-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x48 xc:red "$folder/a.jpg"
convert -size 64x48 xc:blue "$folder/b.bmp"
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"

"$root/scripts/wine-run" "$gui" "$(winpath "$folder")" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
sleep 1
# Keys go to the window under the pointer: rest it on the window's frame.
move_client "$main" 782 442 2 2
focused() { probe "$probe_exe" focus "$1" | sed 's/,[0-9-]*,[0-9-]*$//'; }

# Class|text|left,top in the client area, in the order Tab must visit them.
expected=(
  "Edit||96,32" "Edit||96,64" "Edit||96,96" "Edit||96,128"
  "Edit||40,189" "Button|保存先変更|24,216" "Button|ユーザ設定|128,216" "Button|フォルダ名|208,216"
  "ScrollBar||72,280" "ScrollBar||72,312" "Button|グレイスケール|24,352" "Button|効果確認|128,346"
  "Button|元の画像|208,346" "Button|JPEG再変換|96,392" "Button|EXIF回転|8,392"
  "Button|PDF作成|192,392"
  "SysTabControl32||296,8" "ComboBox|昇順|441,12" "ComboBox|名前|505,12"
  "Button|jpg|590,9" "Button|bmp|630,9" "Button|txt|678,9" "Button|png|714,9" "SysListView32||300,41"
  "Button|参照...|713,374"
)
first=$(focused "Pim-ピム-")
[ "$first" = "${expected[0]}" ] || fail "at start the focus is on [$first], expected [${expected[0]}]"
for ((i = 1; i <= ${#expected[@]}; i++)); do
  xdotool key Tab
  sleep 0.2
  want=${expected[$((i % ${#expected[@]}))]}
  got=$(focused "Pim-ピム-")
  [ "$got" = "$want" ] || fail "Tab press $i: the focus is on [$got], expected [$want]"
done
xdotool key shift+Tab
sleep 0.2
got=$(focused "Pim-ピム-")
[ "$got" = "${expected[-1]}" ] || fail "Shift+Tab from the first control: [$got], expected 参照..."
xdotool key shift+Tab
sleep 0.2
got=$(focused "Pim-ピム-")
[ "$got" = "${expected[-2]}" ] || fail "Shift+Tab from 参照...: [$got], expected the list"

# Down picks the first row, whose preview the second tab then shows.
xdotool key Down
sleep 0.3
xdotool key ctrl+Tab
sleep 0.5
import -window root "$out/keyboard-second-tab.png"
[ "$(probe "$probe_exe" tab "Pim-ピム-")" = 1 ] || fail "Ctrl+Tab did not turn to the second tab"
xdotool key ctrl+shift+Tab
sleep 0.3
[ "$(probe "$probe_exe" tab "Pim-ピム-")" = 0 ] || fail "Ctrl+Shift+Tab did not turn back to the first tab"

# The focus left the hidden list for the tabs; one step back is "PDF作成".
got=$(focused "Pim-ピム-")
[ "$got" = "SysTabControl32||296,8" ] || fail "after Ctrl+Tab the focus is on [$got], expected the tabs"
xdotool key shift+Tab
sleep 0.2
got=$(focused "Pim-ピム-")
[ "$got" = "Button|PDF作成|192,392" ] || fail "Shift+Tab walking back: [$got], expected PDF作成"
import -window root "$out/keyboard-focus.png"

# Enter presses the focused "PDF作成"; at the end "閉じる" has the focus and
# Enter closes the dialog.
xdotool key Return
dialog=$(wait_window "ＰＤＦ作成終了") || fail "Enter on PDF作成 did not run"
sleep 0.5
move_client "$dialog" 335 102 2 2
got=$(focused "ＰＤＦ作成終了")
[ "$got" = "Button|閉じる|228,72" ] || fail "the finished dialog's focus is on [$got], expected 閉じる"
import -window root "$out/keyboard-finished.png"
xdotool key Return
for _ in $(seq 1 40); do
  xdotool search --name "^ＰＤＦ作成終了\$" >/dev/null 2>&1 || break
  sleep 0.25
done
xdotool search --name "^ＰＤＦ作成終了\$" >/dev/null 2>&1 && fail "Enter did not close the finished dialog"
[ -s "$folder/default.pdf" ] || fail "no PDF was written"

control() { probe "$probe_exe" controls "Pim-ピム-" | grep -m1 "^$1" | cut -d'|' -f3; }
eval "$(xdotool getwindowgeometry --shell "$main")"
list_before=$(control "SysListView32|")
left_before=$(control "Button|文章のプロパティ|"),$(control "Button|PDF作成|")
probe "$probe_exe" resize "Pim-ピム-" 1200 800
sleep 1
import -window root "$out/keyboard-resized.png"
IFS=, read -r _ _ w0 h0 <<<"$list_before"
IFS=, read -r _ _ w1 h1 <<<"$(control "SysListView32|")"
[ $((w1 - w0)) = $((1200 - WIDTH)) ] && [ $((h1 - h0)) = $((800 - HEIGHT)) ] ||
  fail "the list went from ${w0}x$h0 to ${w1}x$h1 while the window went from ${WIDTH}x$HEIGHT to 1200x800"
left_after=$(control "Button|文章のプロパティ|"),$(control "Button|PDF作成|")
[ "$left_after" = "$left_before" ] || fail "the left column moved: $left_before -> $left_after"

xdotool key --window "$main" alt+F4 2>/dev/null || true
wait $pid || true
trap - EXIT
echo "PASS: Tab walked ${#expected[@]} controls in the layout's order; Ctrl+Tab turned the tabs; Enter ran and closed;"
echo "      at 1200 x 800 the list grew by $((1200 - WIDTH)) x $((800 - HEIGHT)) and the left column stayed"
