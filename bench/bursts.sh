#!/bin/bash
# The thumbnail list under Wine while another program changes the folder:
# 5,000 pictures shown, five rounds of creating 500 files and deleting the
# previous round's within 4 seconds. Prints, as medians: how long after the
# last change the list is idle again (target: within 15 s), the CPU used,
# the decodes per new file (target: at most one) and of unchanged files
# (target: none), and whether the final list and both counts are right.
#
#   bench/bursts.sh [RUNS] [PICTURES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# PIM_BENCH_BUILD names a win32 tree already configured with PIM_BUILD_BENCH=ON
# (it is then left as it is configured).
build=${PIM_BENCH_BUILD:-$root/build/win32-bench}
folder=$root/build/bench-bursts
runs=${1:-3}
pictures=${2:-5000}

[ -n "${PIM_BENCH_BUILD:-}" ] || cmake --preset win32 -B "$build" -DPIM_BUILD_BENCH=ON -DPIM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target burst_bench >/dev/null

if [ "$(ls "$folder" | grep -c '^pic.*\.jpg$' || true)" -ne "$pictures" ] || ls "$folder"/burst* >/dev/null 2>&1; then
  rm -rf "$folder"
  mkdir -p "$folder"
  convert -seed 5 -size 320x240 plasma:fractal -quality 85 "$folder/pic00000.jpg"
  for i in $(seq 1 $((pictures - 1))); do cp "$folder/pic00000.jpg" "$(printf '%s/pic%05d.jpg' "$folder" "$i")"; done
fi
"$root/scripts/wine-run" "$build/bench/win32/burst_bench.exe" "Z:${folder//\//\\}" "$runs"
