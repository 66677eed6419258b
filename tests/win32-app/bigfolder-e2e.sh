#!/bin/bash
# Pim.exe started on a folder of 10,000 pictures: the window comes up and
# the rows follow once the folder is listed (the status bar counts them);
# End, pressed in the list, takes the selection to the last row; every row
# chosen, a right click opens the shell's popup menu on them. Screenshots
# gui-big-folder.png and gui-big-folder-menu.png in the test output.
#
#   bigfolder-e2e.sh <Pim.exe> <probe.exe> <test output folder>
gui=$1 probe_exe=$2 out=$3
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/bigfolder-e2e

rm -rf "$folder"
mkdir -p "$folder"
convert -size 32x24 xc:'#3060c0' -quality 85 "$out/bigfolder-e2e-source.jpg"
python3 - "$folder" "$out/bigfolder-e2e-source.jpg" <<'EOF'
import os, sys
folder, source = sys.argv[1:]
for i in range(10000):
    os.link(source, f"{folder}/p{i:05d}.jpg")
EOF

start_pim "$(winpath "$folder")"
status() { probe controls "Pim-ピム-" | grep -m1 "^msctls_statusbar32" | cut -d'|' -f2; }
status_is() { [ "$(status)" = "$1" ]; }
wait_until status_is "画像合計：10000" || fail "the status bar says \"$(status)\", not 画像合計：10000"

last_row() { rows | tail -n 1; }
click_client "$main" $(row_xy 0)
wait_until eval '[ "$(rows | head -n 1)" = "*p00000.jpg" ]' || fail "a click did not choose the first row"
press "$main" End
wait_until eval '[ "$(last_row)" = "*p09999.jpg" ]' ||
  fail "after End the last row reads \"$(last_row)\", not a selected p09999.jpg"
shoot gui-big-folder.png

# Every row chosen, the shell's popup menu on them: their ID lists, made
# when a shell operation first needs them, come in one enumeration.
press "$main" ctrl+a
wait_until eval '[ "$(rows | grep -c "^\*")" = 10000 ]' || fail "Ctrl+A did not choose every row"
[ "$(status | wc -c)" -gt 0 ] || fail "the status bar went away"
click_client "$main" $(row_xy 9999) 3   # the list shows the end
wait_until menu_is open || fail "no popup menu for the 10,000 rows chosen"
shoot gui-big-folder-menu.png
xdotool key Escape
wait_until menu_is none || fail "Escape did not close the popup menu"

close_pim
rm -rf "$folder"
echo "PASS: a folder of 10,000 pictures was listed, End reached its last row, and the menu opened on them all"
