#!/usr/bin/env bash
# Times the list repair against GNU sed on the same generated list, in one run:
#   bench/repair_vs_sed.sh [BUILD_DIR] [RUNS]
# Both are timed as whole processes (start, read the file, work, exit); the
# best of RUNS is reported for each. Target: the repair in at most half of
# sed's time.
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/.." && pwd)/build}"
runs="${2:-5}"
for tool in listgen bench_repair; do
    [[ -x "$build/$tool" ]] || { echo "missing $build/$tool (build with -DQUINDLE_BUILD_BENCH=ON)" >&2; exit 1; }
done

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
list="$folder/Projects.txt"
"$build/listgen" "$list" 1000000 5 1 >/dev/null

now() { date +%s%N; }
best_sed=""
best_repair=""
for ((i = 0; i < runs; i++)); do
    # Taken in turns so that both see the same machine load.
    start=$(now)
    sed -E 's/^ *([0-9]+) +/\1     /' "$list" >/dev/null
    took=$(( $(now) - start ))
    [[ -z "$best_sed" || $took -lt $best_sed ]] && best_sed=$took

    start=$(now)
    "$build/bench_repair" --once="$list" 2>/dev/null
    took=$(( $(now) - start ))
    [[ -z "$best_repair" || $took -lt $best_repair ]] && best_repair=$took
done

"$build/bench_repair" --once="$list"
awk -v s="$best_sed" -v r="$best_repair" -v n="$runs" 'BEGIN {
    printf "sed:    %.3f s\nrepair: %.3f s\n", s / 1e9, r / 1e9
    printf "repair / sed = %.2f (target at most 0.50), best of %d runs each\n", r / s, n
}'
