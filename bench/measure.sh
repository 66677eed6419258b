# Shared by the benchmark scripts (sourced): timing a command's median and
# its peak memory, and the small sums the reports print. Expects `runs` and
# `scratch` to be set.

log() { printf '%s\n' "$*" >&2; }

# measure NAME COMMAND...: runs the command RUNS times (after one warm-up run)
# and sets median_s (wall seconds), median_cpu (user + system seconds) and
# median_kb (peak resident KiB).
measure() {
  local name=$1
  shift
  local times=() rss=() cpu=() i start end n=${MEASURE_RUNS:-$runs}
  "$@" >/dev/null 2>&1  # warm-up: the files are in the page cache from now on
  for ((i = 0; i < n; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M %U %S' -o "$scratch/rss" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=("$(( (end - start) / 1000 ))")
    rss+=("$(tail -n 1 "$scratch/rss" | cut -d' ' -f1)")
    cpu+=("$(tail -n 1 "$scratch/rss" | awk '{printf "%.2f", $2 + $3}')")
  done
  median_s=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]/1e6}')
  median_kb=$(printf '%s\n' "${rss[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  median_cpu=$(printf '%s\n' "${cpu[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  log "  $name: ${median_s} s, $((median_kb / 1024)) MiB"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
mib() { echo $(( $1 / 1024 )); }
verdict() { awk -v v="$1" -v op="$2" -v t="$3" 'BEGIN {ok = (op == "<=") ? v <= t : v >= t; print ok ? "ok" : "MISSED"}'; }
