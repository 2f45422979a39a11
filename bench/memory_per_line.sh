#!/usr/bin/env bash
# Peak memory of the whole program per line of a list of empty lines, over
# the file's own size: start-up to the filled view (quindle_startup), peak
# resident set size from time -v. The aim is at most 20 bytes a line.
# Usage: bench/memory_per_line.sh [LINES]  (default 50,000,000; CR LF ends)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
lines="${1:-50000000}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
python3 -c "import sys; open(sys.argv[1], 'wb').write(b'\r\n' * int(sys.argv[2]))" "$dir/empty.txt" "$lines"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$dir}" XDG_STATE_HOME="$dir/state"
/usr/bin/time -f "%M" -o "$dir/peak" "$build/quindle_startup" "$dir/empty.txt" >/dev/null 2>&1
size=$(stat -c %s "$dir/empty.txt")
awk -v kb="$(cat "$dir/peak")" -v size="$size" -v lines="$lines" \
  'BEGIN { printf "%d lines, file %d bytes, peak %d MB: %.2f bytes a line over the file\n", lines, size, kb / 1024, (kb * 1024 - size) / lines }'
