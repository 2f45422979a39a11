#!/usr/bin/env bash
# Applies on a sorted list of a million lines against GNU sort -f over the same
# file, in one run and the same locale (the environment's).
#   bench/compare_sort.sh [BUILD_DIR] [LINES]
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/.." && pwd)/build}"
lines="${2:-1000000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
list="$work/projects.txt"

"$build/listgen" "$list" "$lines" >/dev/null
echo "list: $lines lines, $(stat -c %s "$list") bytes, locale ${LC_ALL:-${LC_COLLATE:-${LANG:-C}}}"

echo "== Quindle: apply on the sorted list (budget 50 ms an apply), whole sort of a shuffled copy"
QUINDLE_BENCH_LIST="$list" "$build/bench_listedit" 2>/dev/null | grep -E '^(BM_|Benchmark|-)'

echo "== GNU sort -f over the same file (whole process, best of 3)"
best=""
for _ in 1 2 3; do
    start=$(date +%s%N)
    sort -f "$list" >"$work/sorted.txt"
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
echo "sort -f: ${best} ms for the whole file"
# sort -f once more on a list that is already sorted: what a resort from
# scratch after every apply would cost at the least.
start=$(date +%s%N)
sort -f "$work/sorted.txt" >/dev/null
echo "sort -f of the already sorted file: $(( ($(date +%s%N) - start) / 1000000 )) ms"
