#!/bin/bash
# JPEG decoding and encoding of a 3000 x 2000 picture by the JPEG object next
# to djpeg -dct float and cjpeg -dct float -quality 90 on the same picture;
# medians of 9 runs (release build). Target: within 1.3x of the tools.
#
#   bench/pictures.sh [RUNS]      # builds build/native's pictures_bench first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
out=$root/build/bench-pictures
mkdir -p "$out"

cmake --preset native -B "$build" -DPIM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target pictures_bench >/dev/null

"$build/bench/pictures_bench" "$out" "${1:-9}"
