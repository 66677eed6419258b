#!/bin/bash
# Folder model on 20,000 files: enumerate + filter + sort, each sort column,
# and every item's details. Prints medians of 10 runs (release build).
#
#   bench/imagelist.sh            # builds build/native's pim_imagelist first
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
out=$root/build/bench-imagelist
mkdir -p "$out"

cmake --preset native -B "$build" >/dev/null
cmake --build "$build" -j2 --target pim_imagelist >/dev/null
g++ -std=c++20 -O2 -DNDEBUG -I"$root" "$root/bench/ImgListBench.cpp" \
    "$build/imagelist/libpim_imagelist.a" "$build/base/libpim_base.a" \
    -lbenchmark -lpthread -o "$out/imagelist_bench"

PIM_BENCH_DIR=$out "$out/imagelist_bench" --benchmark_repetitions=10 \
    --benchmark_report_aggregates_only=true --benchmark_filter="${1:-.}" 2>&1 | grep -E '^(Benchmark|-|.*_median)'
