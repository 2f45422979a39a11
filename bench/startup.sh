#!/usr/bin/env bash
# Start-up to the filled view as a whole process, against vim reading the same
# file: alternating pairs (Quindle, then vim), each timed for wall clock and
# CPU (user + system) with its peak memory; then the medians and the ratios.
# Usage: bench/startup.sh [LISTFILE]  (default: a generated 1,000,000-line
# list). PAIRS sets the number of pairs (default 7). Needs vim and time
# (apt-get install vim time).
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
# Warm the page cache so that both read the file from memory.
cat "$file" >/dev/null
results="$(mktemp)"
run() {  # name command...
  local name="$1"; shift
  /usr/bin/time -f "$name %e %U %S %M" -a -o "$results" "$@" >/dev/null 2>&1
}
for _ in $(seq "${PAIRS:-7}"); do
  run quindle "$build/quindle_startup" "$file"
  run vim vim -es -u NONE -c q "$file"
done
awk '
  function median(list, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (list[j] < list[i]) { t = list[i]; list[i] = list[j]; list[j] = t }
    return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
  }
  { n[$1]++; wall[$1, n[$1]] = $2; cpu[$1, n[$1]] = $3 + $4; if ($5 > peak[$1]) peak[$1] = $5 }
  END {
    for (name in n) {
      for (i = 1; i <= n[name]; i++) { w[i] = wall[name, i]; c[i] = cpu[name, i] }
      mw[name] = median(w, n[name]); mc[name] = median(c, n[name])
      printf "%-8s %d runs  wall %.3f s  cpu %.3f s  peak memory %d MB\n", name, n[name], mw[name], mc[name], peak[name] / 1024
    }
    printf "quindle / vim:  wall %.2f  cpu %.2f  (medians)\n", mw["quindle"] / mw["vim"], mc["quindle"] / mc["vim"]
  }' "$results"
rm -f "$results"
