#!/usr/bin/env bash
# Start-up to the filled view as a whole process, against vim reading the same
# file, and the peak memory of both. Usage: bench/startup.sh [LISTFILE]
# (default: a generated 1,000,000-line list). Needs hyperfine, vim and time
# (apt-get install hyperfine vim time).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
file="${1:-}"
if [ -z "$file" ]; then
  file="$(mktemp -d)/big.txt"
  "$build/listgen" "$file" 1000000 >/dev/null
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
echo "List: $file ($(wc -l <"$file") lines, $(du -h "$file" | cut -f1))"
hyperfine --warmup 1 --runs "${RUNS:-5}" -N \
  "$build/quindle_startup $file" \
  "vim -es -u NONE -c q $file"
for cmd in "$build/quindle_startup $file" "vim -es -u NONE -c q $file"; do
  peak=$(/usr/bin/time -f "%M" $cmd 2>&1 >/dev/null | tail -1)
  echo "peak memory: $((peak / 1024)) MB  ($cmd)"
done
