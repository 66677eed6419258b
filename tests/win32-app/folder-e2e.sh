#!/bin/bash
# Pim.exe's folder deleted, made again and renamed away from outside (by
# Linux commands, as a file manager would): the list empties, and "PDF作成"
# says "画像が存在しません"; made again with 9 pictures, it is listed again and
# the PDF has 9 pages; renamed away, the list empties again. Screenshots
# gui-folder-gone.png and gui-folder-back.png go to the test output.
#
#   folder-e2e.sh <Pim.exe> <test output folder>
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

gui=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$root/scripts/wine-run
folder=$out/folder-e2e
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"

rm -rf "$folder" "$folder-away"
mkdir -p "$folder"
convert -size 160x120 plasma:fractal -quality 85 "$out/folder-e2e-source.jpg"
for i in 1 2 3; do cp "$out/folder-e2e-source.jpg" "$folder/p$i.jpg"; done

"$wine_run" "$gui" "$(winpath "$folder")" &
runner=$!
trap 'kill $runner 2>/dev/null || true' EXIT
main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
sleep 1

pdf_says_no_pictures() {
  click_client "$main" 782 442 240 404
  local box
  box=$(wait_window "エラー") || fail "$1: PDF作成 showed no error"
  import -window "$box" "$out/folder-e2e-error.png"
  # "OK", in the middle of the box's bottom row (the X window is the whole frame).
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove --window "$box" $((WIDTH / 2)) $((HEIGHT - 17)) click 1
  sleep 0.5
  xdotool search --name "^エラー\$" >/dev/null 2>&1 && fail "$1: the error box did not close"
  true
}

rm -rf "$folder"
sleep 1.5
import -window root "$out/gui-folder-gone.png"
pdf_says_no_pictures "deleted"

mkdir -p "$folder"
for i in $(seq 1 9); do cp "$out/folder-e2e-source.jpg" "$folder/q$i.jpg"; done
sleep 1.5
import -window root "$out/gui-folder-back.png"
click_client "$main" 782 442 240 404
dialog=$(wait_window "ＰＤＦ作成終了") || fail "the run on the folder made again did not finish"
click_client "$dialog" 335 102 276 84
sleep 1
pages=$(pdfinfo "$folder/default.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = 9 ] || fail "the folder made again gave $pages pages, not 9"

mv "$folder" "$folder-away"
sleep 1.5
pdf_says_no_pictures "renamed away"

xdotool key --window "$main" alt+F4 2>/dev/null || true
wait $runner || true
trap - EXIT
echo "PASS: the list followed its folder through deletion, a new folder of the name and a rename"
