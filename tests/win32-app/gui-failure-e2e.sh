#!/bin/bash
# A run that cannot finish, seen from outside as a user sees it, with real
# mouse and keyboard input through xdotool:
#  0. default.pdf exists: "PDF作成" asks before replacing it (いいえ: no run);
#  1. a folder holding a file of random bytes named broken.jpg among good
#     pictures: "PDF作成" ends in the error box, which names broken.jpg and
#     the cause in Japanese; the progress dialog says it failed, its label
#     says the same, and "閉じる" closes it;
#  2. the name box holding "a:b": the error box says what is wrong with the
#     name, and no page was read (the dialog never showed "画像読み込み");
#  3. the PDF held open by another program as a viewer holds it
#     (hold_file.exe): the box names the PDF and says it is open in another
#     program, before any page was read.
# Each box is read back through the Win32 API (read_error_box.exe, run in
# the same Wine session) and photographed. The old PDF stays as it was and
# no file is added to the folder.
#
#   gui-failure-e2e.sh <Pim.exe> <read_error_box.exe> <hold_file.exe> <test output folder>
gui=$1 reader=$2 holder=$3 out=$4
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/gui-failure
rm -rf "$folder"
"$root/scripts/make-sample-folder" "$folder" >/dev/null
head -c 6000 /dev/urandom >"$folder/broken.jpg"
printf 'old pdf' >"$folder/default.pdf"
before=$(cd "$folder" && ls -A | sort)

# The reader and the holder run beside Pim.exe in the Wine session wine-run set up.
in_session() {  # in_session <program.exe> [args...]
  WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" \
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine "$@"
}
read_window() {  # read_window <caption>: the window's control texts, one a line
  in_session "$reader" "$1" 30 | tr -d '\r'
}
# Long lines are wrapped where shown: a text is checked with its lines joined.
joined() { tr -d '\n' <<<"$1"; }
# The question before replacing default.pdf, answered with a key (y or n).
answer_replace() {  # answer_replace <y|n>
  local question
  question=$(read_window "確認") || fail "PDF作成 did not ask before replacing default.pdf"
  grep -qx '「default.pdf」は既にあります。' <<<"$question" || fail "the question is [$question]"
  press "$(wait_window "確認")" "$1"
  wait_gone "確認" || fail "the question did not close"
}
# The failed dialog: its label's text; "閉じる" closes it.
failed_dialog() {
  read_window "ＰＤＦ作成失敗" || fail "the dialog does not say the run failed"
}
close_failed() {
  click_control "$(wait_window "ＰＤＦ作成失敗")" "Button|閉じる"
  wait_gone "ＰＤＦ作成失敗" || fail "閉じる did not close the dialog"
}

start_pim "$(winpath "$folder")"
wait_until count_is 10 || fail "the list shows [$(row_line)], not the sample folder and broken.jpg"

# 0. "PDF作成" (Button4 at 192, 392, 97 x 25 of the 782 x 442 client area):
#    default.pdf exists, so it asks; いいえ starts no run.
click_client "$main" 240 404
wait_window "確認" >/dev/null || fail "PDF作成 did not ask before replacing default.pdf"
shoot gui-failure-replace.png
answer_replace n
sleep 1
gone "ＰＤＦ作成中...." && gone "ＰＤＦ作成失敗" || fail "いいえ started a run"
[ "$(cat "$folder/default.pdf")" = "old pdf" ] || fail "いいえ changed the old PDF"

# 1. はい: the run fails at broken.jpg.
click_client "$main" 240 404
answer_replace y
box=$(read_window "エラー") || fail "no error box after the broken JPEG"
echo "error box:"; echo "$box"
error=$(wait_window "エラー") || fail "the error box went away"
shoot gui-failure-broken-jpeg.png
grep -qx 'ＰＤＦを作成できませんでした。' <<<"$box" || fail "the box does not say the PDF was not made"
grep -qx '読み込めないファイル: broken.jpg' <<<"$box" || fail "the box does not name broken.jpg"
grep -q '原因: JPEG画像ではありません（JPEG error: .*）$' <<<"$(joined "$box")" ||
  fail "the box does not give the cause in Japanese with the reader's words"
grep -q '強制終了されました' <<<"$box" && fail "the box says 強制終了されました for a failure"
press "$error" Return  # OK
wait_gone "エラー" || fail "Enter did not close the error box"
label=$(failed_dialog)
echo "dialog:"; echo "$label"
grep -q 'broken.jpg' <<<"$label" || fail "the dialog's label does not name broken.jpg"
grep -q 'Button|強制終了' <<<"$(probe controls "ＰＤＦ作成失敗")" && fail "the failed dialog still offers 強制終了"
shoot gui-failure-dialog.png
close_failed

# 2. The name box (LabeledEdit6 at 40, 189, 217 x 20 of the client area):
#    "a:b", then "PDF作成".
click_client "$main" 140 199
xdotool key End shift+Home BackSpace
xdotool type --delay 80 'a:b'
wait_until eval 'probe controls "Pim-ピム-" | grep -q "^Edit|a:b|40,189,"' || fail "the name box does not hold a:b"
click_client "$main" 240 404
box=$(read_window "エラー") || fail "no error box after the name a:b"
echo "error box:"; echo "$box"
error=$(wait_window "エラー") || fail "the error box went away"
shoot gui-failure-bad-name.png
grep -qx 'ＰＤＦを作成できませんでした。' <<<"$box" || fail "the box does not say the PDF was not made"
grep -q '書き込めないＰＤＦ: Z:.*\\a:b\.pdf原因' <<<"$(joined "$box")" || fail "the box does not name a:b.pdf"
grep -q '^原因: 名前に使えない文字「:」があります' <<<"$box" || fail "the box does not say what is wrong with the name"
press "$error" Return
wait_gone "エラー" || fail "Enter did not close the error box"
label=$(failed_dialog)
grep -q '画像読み込み' <<<"$label" && fail "a page was read before the name was refused"
grep -q 'a:b' <<<"$label" || fail "the dialog's label does not name a:b.pdf"
close_failed

# 3. The name back to "default", and default.pdf held open as a viewer holds it.
release=$out/gui-failure-release
rm -f "$release" "$out/gui-failure-hold.txt"
in_session "$holder" "$(winpath "$folder/default.pdf")" "$(winpath "$release")" >"$out/gui-failure-hold.txt" &
holder_pid=$!
wait_until grep -q holding "$out/gui-failure-hold.txt" || fail "hold_file.exe did not open default.pdf"
click_client "$main" 140 199
xdotool key End shift+Home BackSpace
xdotool type --delay 80 'default'
wait_until eval 'probe controls "Pim-ピム-" | grep -q "^Edit|default|40,189,"' || fail "the name box does not hold default"
click_client "$main" 240 404
answer_replace y
box=$(read_window "エラー") || fail "no error box while default.pdf is held open"
echo "error box:"; echo "$box"
error=$(wait_window "エラー") || fail "the error box went away"
shoot gui-failure-held-open.png
touch "$release"
wait $holder_pid || fail "hold_file.exe failed"
grep -qx 'ＰＤＦを作成できませんでした。' <<<"$box" || fail "the box does not say the PDF was not made"
grep -q '書き込めないＰＤＦ: Z:.*\\default\.pdf原因' <<<"$(joined "$box")" || fail "the box does not name default.pdf"
grep -qx '原因: ＰＤＦが他のアプリで開かれています' <<<"$box" || fail "the box does not say the PDF is open elsewhere"
press "$error" Return
wait_gone "エラー" || fail "Enter did not close the error box"
label=$(failed_dialog)
grep -q '画像読み込み' <<<"$label" && fail "a page was read before the held PDF was found"

# The dialog closed with "閉じる" again, the program with Alt+F4.
close_failed
close_pim

[ "$(cat "$folder/default.pdf")" = "old pdf" ] || fail "the old PDF was changed"
after=$(cd "$folder" && ls -A | sort)
[ "$before" = "$after" ] || fail "files changed in the folder: $(diff <(echo "$before") <(echo "$after") || true)"
echo "PASS: replacing was asked; the three failures named their file and cause; the old PDF is untouched"
