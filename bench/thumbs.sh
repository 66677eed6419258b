#!/bin/bash
# One thumbnail of a 3000 x 2000 JPEG through the thumbnail maker next to
# djpeg -scale 1/8 (and vipsthumbnail when installed); the resampler alone.
# Medians (release build). Target: within 1.3x of djpeg -scale 1/8.
#
#   bench/thumbs.sh [RUNS]      # builds build/native's thumbs_bench first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
out=$root/build/bench-thumbs
mkdir -p "$out"

cmake --preset native -B "$build" -DPIM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target thumbs_bench >/dev/null

"$build/bench/thumbs_bench" "$out" "${1:-15}"
