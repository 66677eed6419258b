#!/bin/bash
# The windows at 96, 120, 144 and 192 dpi under Wine: for each, LogPixels is
# set in a Wine prefix of the tests' own (build/<tree>/wineprefix-dpi, so the
# other tests keep 96 dpi) and DpiTest.cpp runs there. Its screenshots are
# kept as dpi-<n>-main.png, dpi-<n>-dialog.png and dpi-<n>-hint.png. Then
# Pim.exe itself starts there, and each type box on its sort bar says through
# the Win32 API what its box and caption need (BCM_GETIDEALSIZE): no more
# than its width. Its window is kept as dpi-<n>-pim.png.
#
#   dpi-e2e.sh <win32_dpi_tests.exe> <Pim.exe> <test output folder>
# A screen that holds the main window at 192 dpi (1478 x 884 client pixels).
gui=$1 pim=$2 out=$3 screen=1600x1200x24
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
export PIM_WINEPREFIX=$build/wineprefix-dpi
folder=$out/dpi-e2e
rm -rf "$folder"
mkdir -p "$folder"
convert -size 64x48 xc:'#dc1e1e' "$folder/a.jpg"
printf 'memo\r\n' >"$folder/b.txt"

for dpi in 96 120 144 192; do
  (cd "$build" && "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f >/dev/null 2>&1)
  echo "== $dpi dpi"
  PIM_EXPECT_DPI=$dpi "$wine_run" "$gui"
  for shot in main dialog hint; do
    [ -f "$out/dpi-$dpi-$shot.bmp" ] && convert "$out/dpi-$dpi-$shot.bmp" "$out/dpi-$dpi-$shot.png"
  done

  gui=$pim start_pim "$(winpath "$folder")"
  wait_until count_is 2 || fail "at $dpi dpi the list shows [$(row_line)]"
  shoot "dpi-$dpi-pim.png" "$main"
  boxes=$(probe captions "Pim-ピム-" | grep -E '^(jpg|bmp|txt|png)\|' | sort)
  [ "$(echo "$boxes" | cut -d'|' -f1 | tr '\n' ' ')" = "bmp jpg png txt " ] ||
    fail "at $dpi dpi the type boxes read [$boxes]"
  while IFS='|' read -r caption need width; do
    echo "   $caption needs $need of $width pixels"
    [ "$need" -gt 0 ] && [ "$need" -le "$width" ] || fail "at $dpi dpi \"$caption\" needs $need pixels and has $width"
  done <<<"$boxes"
  close_pim
done
echo "PASS: the windows are scaled at 96, 120, 144 and 192 dpi, no caption is clipped, and each type box of"
echo "      Pim.exe holds its caption whole"
