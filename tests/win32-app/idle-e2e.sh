#!/bin/bash
# Pim.exe on a folder where some pictures cannot be decoded (an empty .jpg, a
# .jpg of noise, a BMP that declares 100000 x 100000 pixels) among good ones:
# once the list has settled, Pim.exe and its Wine server use almost no CPU
# (less than 0.2 s over 20 s), and the bad files show an icon or the broken-
# picture mark (screenshot gui-bad-files.png in the test output).
#
#   idle-e2e.sh <Pim.exe> <test output folder> [seconds measured]
gui=$1 out=$2 seconds=${3:-20}
# shellcheck source=gui-lib.sh
. "$(dirname "$0")/gui-lib.sh"
folder=$out/idle-e2e

rm -rf "$folder"
mkdir -p "$folder"
for i in 1 2 3 4; do convert -size 320x240 "plasma:fractal" -quality 85 "$folder/good$i.jpg"; done
: >"$folder/empty.jpg"
head -c 20000 /dev/urandom >"$folder/noise.jpg"
python3 - "$folder/huge.bmp" <<'PY'
import struct, sys
header = b"BM" + struct.pack("<IHHI", 54, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 100000, 100000, 1, 24, 0, 0, 0, 0, 0, 0)
open(sys.argv[1], "wb").write(header)
PY

start_pim "$(winpath "$folder")"
wait_until count_is 7 || fail "the list shows [$(row_line)], not the seven files"

# The processes of this run: Pim.exe and the Wine server of the build tree's prefix.
prefix=$build/wineprefix
in_prefix() { tr '\0' '\n' </proc/"$1"/environ 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; }
find_pid() {  # find_pid <process name pattern>
  local p
  for p in $(pgrep "$1" || true); do
    if in_prefix "$p"; then echo "$p"; return 0; fi
  done
  return 1
}
pim=$(find_pid '^Pim\.exe$') || fail "Pim.exe's process was not found"
server=$(find_pid '^wineserver') || fail "the Wine server was not found"
ticks() { awk '{ print $14 + $15 }' /proc/"$1"/stat; }
both() { echo $(( $(ticks "$pim") + $(ticks "$server") )); }
hz=$(getconf CLK_TCK)

# Settled: a whole second without CPU worth the name.
settled() {
  local before
  before=$(both)
  sleep 1
  [ $(( $(both) - before )) -le 1 ]
}
wait_until settled || fail "the window never settled"
shoot gui-bad-files.png

before=$(both)
sleep "$seconds"
used=$(( $(both) - before ))
limit=$(( hz * seconds / 100 ))  # 0.2 s per 20 s
echo "Pim.exe and the Wine server used $used ticks ($hz a second) in $seconds s; the limit is $limit"
[ "$used" -lt "$limit" ] || fail "the settled window keeps the CPU busy: $used ticks in $seconds s"

close_pim
echo "PASS: idle after settling on a folder with pictures that cannot be decoded"
