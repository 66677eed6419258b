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
gui=$1 probe_exe=$2 out=$3
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/settings-e2e
rm -rf "$folder"
mkdir -p "$folder"
ini=$settings_dir/Pim.ini
convert -size 2000x3000 gradient:yellow-navy -rotate 90 -fill red -draw 'rectangle 0,0 299,299' \
  -fill lime -draw 'rectangle 2700,1700 2999,1999' -quality 90 "$folder/photo.jpg"
convert -size 64x48 xc:green BMP3:"$folder/small.bmp"

shown() { probe controls "Pim-ピム-"; }
ticked() { probe checked "Pim-ピム-" | LC_ALL=C sort | tr "\n" " "; }
shows() { shown | grep -q "$1"; }
dropped_is() { [ "$(probe dropped "Pim-ピム-")" = "$1" ]; }
# A combo box's item: its arrow clicked, the item clicked in the list that
# drops below it once it is shown, the box showing the item.
choose() {  # choose <arrow x> <item x> <item y> <item text>
  click_client "$main" "$1" 48
  wait_until dropped_is open || fail "the list of the box with $4 did not drop"
  click_client "$main" "$2" "$3"
  wait_until dropped_is none || fail "the list of the box with $4 stayed"
  wait_until shows "^ComboBox|$4|" || fail "$4 was not chosen: $(shown | grep '^ComboBox')"
}

start_pim "$(winpath "$folder")"
[ "$(ticked)" = "EXIF回転 bmp jpg png tif/gif/webp txt ユーザ設定 " ] || fail "not the design values at the first start: $(ticked)"
click_client "$main" 560 47        # "bmp"
wait_until eval '[ "$(ticked)" = "EXIF回転 jpg png tif/gif/webp txt ユーザ設定 " ]' || fail "bmp was not unticked: $(ticked)"
choose 486 450 103 種類             # 名前 / 更新日時 / サイズ / 種類
choose 400 370 82 降順             # 昇順 / 降順
for _ in 1 2 3 4 5; do click_client "$main" 178 288; done   # 明るさ's right arrow
wait_until shows '^Static|5|' || fail "明るさ did not come to 5: $(shown | grep '^Static|[0-9-]*|')"
shoot gui-settings-changed.png
close_pim
grep -q $'^Bmp=0\r$' "$ini" && grep -q $'^SortKey=3\r$' "$ini" && grep -q $'^SortOrder=1\r$' "$ini" &&
  grep -q $'^Brightness=5\r$' "$ini" || fail "Pim.ini does not hold the changes: $(tr -d '\r' <"$ini")"

start_pim                                     # no folder: the remembered one
controls=$(shown)
shoot gui-settings-restored.png
[ "$(ticked)" = "EXIF回転 jpg png tif/gif/webp txt ユーザ設定 " ] || fail "type boxes after the restart: $(ticked)"
grep -q "^Static|$(winpath "$folder" | sed 's/\\/\\\\/g')|" <<<"$controls" || fail "not the remembered folder"
grep -q '^ComboBox|種類|' <<<"$controls" && grep -q '^ComboBox|降順|' <<<"$controls" || fail "the sort after the restart"
grep -q '^Static|5|' <<<"$controls" || fail "明るさ after the restart"

# The only row left (bmp unticked) is the photo: select it, turn to 画像調整,
# where it shows whole, fitted to the panel, with its proportions.
wait_until names_are photo.jpg || fail "the list after the restart: $(row_line)"
click_client "$main" $(row_xy 0)
wait_until rows_are "*photo.jpg" || fail "the photo was not chosen: $(row_line)"
press "$main" ctrl+Tab
fitted() {
  local width height
  IFS=, read -r _ _ width height <<<"$(shown | grep '^PimImage|' | head -n 1 | cut -d'|' -f3)"
  [ "${width:-0}" -gt 0 ] && [ "$width" -le 468 ] && [ "$height" -le 369 ] &&
    [ $((width * 2000 / 3000 - height)) -ge -1 ] && [ $((width * 2000 / 3000 - height)) -le 1 ]
}
wait_until fitted || fail "the photo is not fitted to the panel: $(shown | grep '^PimImage|')"
shoot gui-e2e-preview-fit.png
close_pim

# A damaged Pim.ini: the design values, and the file untouched.
printf '\x01\x02\x00\xff[Main\r\nBmp=zero\r\nSortKey=9\r\nWindow=,,\r\n\x81[Main]\r\nBrightness=1e3\r\n' >"$ini"
cp "$ini" "$out/settings-damaged.ini"
start_pim "$(winpath "$folder")"
[ "$(ticked)" = "EXIF回転 bmp jpg png tif/gif/webp txt ユーザ設定 " ] || fail "a damaged Pim.ini did not give the design values: $(ticked)"
shown | grep -q '^Static|0|' || fail "明るさ from a damaged Pim.ini"
click_client "$main" $(row_xy 0)
close_pim
cmp "$ini" "$out/settings-damaged.ini" || fail "the damaged Pim.ini was written over"
echo "PASS: the type boxes, the sort and 明るさ came back with the folder, the photo opened fitted, a damaged Pim.ini was left as it was"
