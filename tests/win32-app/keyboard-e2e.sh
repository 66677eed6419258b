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
gui=$1 probe_exe=$2 out=$3 screen=1600x1200x24
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/keyboard-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x48 xc:red "$folder/a.jpg"
convert -size 64x48 xc:blue "$folder/b.bmp"

start_pim "$(winpath "$folder")"
wait_until count_is 2 || fail "the list shows [$(row_line)], not the two pictures"
focused() { probe focus "$1" | sed 's/,[0-9-]*,[0-9-]*$//'; }
focus_is() { [ "$(focused "$1")" = "$2" ]; }  # focus_is <caption> <class|text|left,top>
# A key pressed in the main window, and the focus then where it must go.
step() {  # step <keys> <expected focus> <what>
  press "$main" "$1"
  wait_until focus_is "Pim-ピム-" "$2" || fail "$3: the focus is on [$(focused "Pim-ピム-")], expected [$2]"
}

# Class|text|left,top in the client area, in the order Tab must visit them.
expected=(
  "Edit||96,32" "Edit||96,64" "Edit||96,96" "Edit||96,128"
  "Edit||40,189" "Button|保存先変更|24,216" "Button|ユーザ設定|128,216" "Button|フォルダ名|208,216"
  "ScrollBar||72,280" "ScrollBar||72,312" "Button|グレイスケール|24,352" "Button|効果確認|128,346"
  "Button|元の画像|208,346" "Button|JPEG再変換|96,392" "Button|EXIF回転|8,392"
  "Button|PDF作成|192,392"
  "SysTabControl32||296,8" "ComboBox|昇順|351,38" "ComboBox|名前|415,38"
  "Button|jpg|500,36" "Button|bmp|540,36" "Button|txt|588,36" "Button|png|624,36" "Button|tif/gif/webp|666,36" "SysListView32||300,63"
  "Button|参照...|713,374"
)
wait_until focus_is "Pim-ピム-" "${expected[0]}" ||
  fail "at start the focus is on [$(focused "Pim-ピム-")], expected [${expected[0]}]"
for ((i = 1; i <= ${#expected[@]}; i++)); do
  step Tab "${expected[$((i % ${#expected[@]}))]}" "Tab press $i"
done
step shift+Tab "${expected[-1]}" "Shift+Tab from the first control"
step shift+Tab "${expected[-2]}" "Shift+Tab from 参照..."

# Down picks the first row, whose preview the second tab then shows.
tab_is() { [ "$(probe tab "Pim-ピム-")" = "$1" ]; }
press "$main" Down ctrl+Tab
wait_until tab_is 1 || fail "Ctrl+Tab did not turn to the second tab"
shoot keyboard-second-tab.png
press "$main" ctrl+shift+Tab
wait_until tab_is 0 || fail "Ctrl+Shift+Tab did not turn back to the first tab"

# The focus left the hidden list for the tabs; one step back is "PDF作成".
wait_until focus_is "Pim-ピム-" "SysTabControl32||296,8" ||
  fail "after Ctrl+Tab the focus is on [$(focused "Pim-ピム-")], expected the tabs"
step shift+Tab "Button|PDF作成|192,392" "Shift+Tab walking back"
shoot keyboard-focus.png

# Enter presses the focused "PDF作成"; at the end "閉じる" has the focus and
# Enter closes the dialog.
press "$main" Return
dialog=$(wait_window "ＰＤＦ作成終了") || fail "Enter on PDF作成 did not run"
wait_until focus_is "ＰＤＦ作成終了" "Button|閉じる|228,72" ||
  fail "the finished dialog's focus is on [$(focused "ＰＤＦ作成終了")], expected 閉じる"
shoot keyboard-finished.png
press "$dialog" Return
wait_gone "ＰＤＦ作成終了" || fail "Enter did not close the finished dialog"
[ -s "$folder/default.pdf" ] || fail "no PDF was written"

control() { control_place "$main" "$1"; }
read -r _ _ _ _ _ _ width height <<<"$(probe place "Pim-ピム-")"
list_before=$(control "SysListView32|")
left_before=$(control "Button|文章のプロパティ|"),$(control "Button|PDF作成|")
probe resize "Pim-ピム-" 1200 800
IFS=, read -r _ _ w0 h0 <<<"$list_before"
list_grown() {
  IFS=, read -r _ _ w1 h1 <<<"$(control "SysListView32|")"
  [ $((w1 - w0)) = $((1200 - width)) ] && [ $((h1 - h0)) = $((800 - height)) ]
}
wait_until list_grown ||
  fail "the list went from ${w0}x$h0 to ${w1}x$h1 while the window went from ${width}x$height to 1200x800"
shoot keyboard-resized.png
left_after=$(control "Button|文章のプロパティ|"),$(control "Button|PDF作成|")
[ "$left_after" = "$left_before" ] || fail "the left column moved: $left_before -> $left_after"

close_pim
echo "PASS: Tab walked ${#expected[@]} controls in the layout's order; Ctrl+Tab turned the tabs; Enter ran and closed;"
echo "      at 1200 x 800 the list grew by $((1200 - width)) x $((800 - height)) and the left column stayed"
