#!/bin/bash
# Pim.exe started on a folder of 10,000 pictures: the window comes up and
# the rows follow once the folder is listed (the status bar counts them);
# End, pressed in the list, takes the selection to the last row; every row
# chosen, a right click opens the shell's popup menu on them. Screenshots
# gui-big-folder.png and gui-big-folder-menu.png in the test output.
#
#   bigfolder-e2e.sh <Pim.exe> <probe.exe> <test output folder>
set -euo pipefail

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

gui=$1 probe_exe=$2 out=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run=$root/scripts/wine-run
folder=$out/bigfolder-e2e
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"

rm -rf "$folder"
mkdir -p "$folder"
convert -size 32x24 xc:'#3060c0' -quality 85 "$out/bigfolder-e2e-source.jpg"
python3 - "$folder" "$out/bigfolder-e2e-source.jpg" <<'EOF'
import os, sys
folder, source = sys.argv[1:]
for i in range(10000):
    os.link(source, f"{folder}/p{i:05d}.jpg")
EOF

"$wine_run" "$gui" "$(winpath "$folder")" &
runner=$!
trap 'kill $runner 2>/dev/null || true' EXIT
main=$(wait_window "Pim-ピム-") || fail "the main window did not appear"

status() { probe "$probe_exe" controls "Pim-ピム-" | grep -m1 "^msctls_statusbar32" | cut -d'|' -f2; }
for _ in $(seq 1 80); do
  [ "$(status)" = "画像合計：10000" ] && break
  sleep 0.25
done
[ "$(status)" = "画像合計：10000" ] || fail "the status bar says \"$(status)\", not 画像合計：10000"

click_client "$main" 782 442 420 "$(row_y 0)"
sleep 0.3
xdotool key End
sleep 1
last=$(probe "$probe_exe" rows "Pim-ピム-" | tail -n 1)
[ "$last" = "*p09999.jpg" ] || fail "after End the last row reads \"$last\", not a selected p09999.jpg"
import -window root "$out/gui-big-folder.png"

# Every row chosen, the shell's popup menu on them: their ID lists, made
# when a shell operation first needs them, come in one enumeration.
xdotool key ctrl+a
sleep 0.5
[ "$(status | wc -c)" -gt 0 ] || fail "the status bar went away"
click_client "$main" 782 442 420 "$(row_y 0)" 3
for _ in $(seq 1 40); do
  [ "$(probe "$probe_exe" menu "Pim-ピム-")" = open ] && break
  sleep 0.25
done
import -window root "$out/gui-big-folder-menu.png"
[ "$(probe "$probe_exe" menu "Pim-ピム-")" = open ] || fail "no popup menu for the 10,000 rows chosen"
xdotool key Escape
sleep 0.5

xdotool key --window "$main" alt+F4 2>/dev/null || true
wait $runner || true
trap - EXIT
rm -rf "$folder"
echo "PASS: a folder of 10,000 pictures was listed, End reached its last row, and the menu opened on them all"
