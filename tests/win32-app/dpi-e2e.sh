#!/bin/bash
# The windows at 120, 144 and 192 dpi under Wine: for each, LogPixels is set
# in a Wine prefix of the tests' own (build/<tree>/wineprefix-dpi, so the
# other tests keep 96 dpi) and DpiTest.cpp runs there. Its screenshots are
# kept as dpi-<n>-main.png, dpi-<n>-dialog.png and dpi-<n>-hint.png.
#
#   dpi-e2e.sh <win32_dpi_tests.exe> <test output folder>
set -euo pipefail

# A screen that holds the main window at 192 dpi (1478 x 884 client pixels).
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

exe=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(dirname "$(realpath "$exe")")
while [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
export PIM_WINEPREFIX=$build/wineprefix-dpi

for dpi in 120 144 192; do
  (cd "$build" && "$root/scripts/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$dpi" /f >/dev/null 2>&1)
  echo "== $dpi dpi"
  PIM_EXPECT_DPI=$dpi "$root/scripts/wine-run" "$exe"
  for shot in main dialog hint; do
    [ -f "$out/dpi-$dpi-$shot.bmp" ] && convert "$out/dpi-$dpi-$shot.bmp" "$out/dpi-$dpi-$shot.png"
  done
done
echo "PASS: the windows are scaled at 120, 144 and 192 dpi and no caption is clipped"
