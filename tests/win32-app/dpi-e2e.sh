#!/bin/bash
# The windows at 120, 144 and 192 dpi under Wine: for each, LogPixels is set
# in a Wine prefix of the tests' own (build/<tree>/wineprefix-dpi, so the
# other tests keep 96 dpi) and DpiTest.cpp runs there. Its screenshots are
# kept as dpi-<n>-main.png, dpi-<n>-dialog.png and dpi-<n>-hint.png.
#
#   dpi-e2e.sh <win32_dpi_tests.exe> <test output folder>
# A screen that holds the main window at 192 dpi (1478 x 884 client pixels).
gui=$1 out=$2 screen=1600x1200x24
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
export PIM_WINEPREFIX=$build/wineprefix-dpi

for dpi in 120 144 192; do
  (cd "$build" && "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f >/dev/null 2>&1)
  echo "== $dpi dpi"
  PIM_EXPECT_DPI=$dpi "$wine_run" "$gui"
  for shot in main dialog hint; do
    [ -f "$out/dpi-$dpi-$shot.bmp" ] && convert "$out/dpi-$dpi-$shot.bmp" "$out/dpi-$dpi-$shot.png"
  done
done
echo "PASS: the windows are scaled at 120, 144 and 192 dpi and no caption is clipped"
