#!/bin/bash
# Folder model on 20,000 files: enumerate + filter + sort, each sort column,
# and every item's details. Prints medians of 10 runs (release build).
# Target: listing and sorting well under a second.
#
#   bench/imagelist.sh [FILTER]   # builds build/native's imagelist_bench first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
out=$root/build/bench-imagelist
mkdir -p "$out"

cmake --preset native -B "$build" -DPIM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target imagelist_bench >/dev/null

PIM_BENCH_DIR=$out "$build/bench/imagelist_bench" --benchmark_repetitions=10 \
    --benchmark_report_aggregates_only=true --benchmark_filter="${1:-.}" 2>&1 | grep -E '^(Benchmark|-|.*_median)'
