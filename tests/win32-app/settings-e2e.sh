#!/bin/bash
# Remembered settings and the fitted preview, from outside with real input:
# Pim.exe started on a folder, the "bmp" type box unticked, the sort set to
# 種類 and 降順 and 明るさ raised by clicks on its arrow, then closed. Started
# again without a folder it shows the same folder and settings, and the
# 3000 x 2000 photo opens on the 画像調整 tab whole, fitted to the panel
# (screenshot gui-e2e-preview-fit.png). A damaged Pim.ini gives the design
# values and is left byte for byte as it was.
#
#   settings-e2e.sh <Pim.exe> <probe.exe> <test output folder>
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

gui=$1 probe_exe=$2 out=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$root/scripts/wine-run
folder=$out/settings-e2e
rm -rf "$folder"
mkdir -p "$folder"
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
ini=$settings_dir/Pim.ini
convert -size 2000x3000 gradient:yellow-navy -rotate 90 -fill red -draw 'rectangle 0,0 299,299' \
  -fill lime -draw 'rectangle 2700,1700 2999,1999' -quality 90 "$folder/photo.jpg"
convert -size 64x48 xc:green BMP3:"$folder/small.bmp"

start() {  # start [folder]: Pim.exe on the folder (none: no argument), its window id in $main
  "$wine_run" "$gui" "$@" &
  pid=$!
  main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"
  sleep 1
}
close() {
  xdotool key --window "$main" alt+F4 2>/dev/null || true
  wait "$pid" || true
}
shown() { probe "$probe_exe" controls "Pim-ピム-"; }
ticked() { probe "$probe_exe" checked "Pim-ピム-" | LC_ALL=C sort | tr "\n" " "; }
trap 'kill $pid 2>/dev/null || true' EXIT

start "$(winpath "$folder")"
[ "$(ticked)" = "bmp jpg png txt ユーザ設定 " ] || fail "not the design values at the first start: $(ticked)"
click_client "$main" 782 442 636 21        # "bmp"
# Each combo box by its arrow, then the item in the list that drops below it.
click_client "$main" 782 442 576 22        # 名前 / 更新日時 / サイズ / 種類
sleep 0.5
click_client "$main" 782 442 540 77        # 種類
sleep 0.3
click_client "$main" 782 442 490 22        # 昇順 / 降順
sleep 0.5
click_client "$main" 782 442 460 56        # 降順
for _ in 1 2 3 4 5; do click_client "$main" 782 442 178 288; sleep 0.1; done   # 明るさ's right arrow
sleep 0.5
import -window root "$out/gui-settings-changed.png"
shown | grep -q '^ComboBox|種類|' || fail "the sort key was not chosen: $(shown | grep '^ComboBox')"
close
grep -q $'^Bmp=0\r$' "$ini" && grep -q $'^SortKey=3\r$' "$ini" && grep -q $'^SortOrder=1\r$' "$ini" &&
  grep -q $'^Brightness=5\r$' "$ini" || fail "Pim.ini does not hold the changes: $(tr -d '\r' <"$ini")"

start                                     # no folder: the remembered one
controls=$(shown)
import -window root "$out/gui-settings-restored.png"
[ "$(ticked)" = "jpg png txt ユーザ設定 " ] || fail "type boxes after the restart: $(ticked)"
grep -q "^Static|$(winpath "$folder" | sed 's/\\/\\\\/g')|" <<<"$controls" || fail "not the remembered folder"
grep -q '^ComboBox|種類|' <<<"$controls" && grep -q '^ComboBox|降順|' <<<"$controls" || fail "the sort after the restart"
grep -q '^Static|5|' <<<"$controls" || fail "明るさ after the restart"

# The only row left (bmp unticked) is the photo: select it, turn to 画像調整.
click_client "$main" 782 442 420 "$(row_y 0)"
xdotool key --window "$main" ctrl+Tab
sleep 1.5
import -window root "$out/gui-e2e-preview-fit.png"
image=$(shown | grep '^PimImage|' | head -n 1 | cut -d'|' -f3)
IFS=, read -r _ _ width height <<<"$image"
[ "${width:-0}" -gt 0 ] && [ "$width" -le 468 ] && [ "$height" -le 369 ] ||
  fail "the photo is not fitted to the panel: $image"
[ $((width * 2000 / 3000 - height)) -ge -1 ] && [ $((width * 2000 / 3000 - height)) -le 1 ] ||
  fail "the fitted photo lost its proportions: $image"
close

# A damaged Pim.ini: the design values, and the file untouched.
printf '\x01\x02\x00\xff[Main\r\nBmp=zero\r\nSortKey=9\r\nWindow=,,\r\n\x81[Main]\r\nBrightness=1e3\r\n' >"$ini"
cp "$ini" "$out/settings-damaged.ini"
start "$(winpath "$folder")"
[ "$(ticked)" = "bmp jpg png txt ユーザ設定 " ] || fail "a damaged Pim.ini did not give the design values: $(ticked)"
shown | grep -q '^Static|0|' || fail "明るさ from a damaged Pim.ini"
click_client "$main" 782 442 420 "$(row_y 0)"
close
trap - EXIT
cmp "$ini" "$out/settings-damaged.ini" || fail "the damaged Pim.ini was written over"
echo "PASS: the type boxes, the sort and 明るさ came back with the folder, the photo opened fitted, a damaged Pim.ini was left as it was"
