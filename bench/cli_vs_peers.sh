#!/usr/bin/env bash
# quindle-cli as whole processes on a 1,000,000-line list, each beside its
# peer in the same run (alternating, median of RUNS):
#   add          at most 1.3x a durable rewrite (copy the list to a new name
#                in its folder, then fsync it), shown beside todo.sh add on a
#                todo.txt of the same size (an append without a flush: shown,
#                not targeted; Debian's todotxt-cli, when installed)
#   find         at most 0.5x grep -ci over the same file
#   ls >/dev/null at most 2x cat of the file
#   merge-driver two branches with 1,000 changes each: under 1 s
#
# cli_vs_peers.sh [BUILD_DIR]   (default: build; RUNS=7)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build}" && pwd)"
runs="${RUNS:-7}"
cli="$build/quindle-cli"

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
list="$folder/Projects.txt"
"$build/listgen" "$list" 1000000 >/dev/null
# The command line's journals and settings go here, not to the user's.
export XDG_STATE_HOME="$folder/state" XDG_CONFIG_HOME="$folder/config"

now() { date +%s%N; }
# Milliseconds of one run of "$@", output thrown away.
timed() {
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1 || true
  end=$(now)
  echo $(( (end - start) / 1000 ))
}
median() { sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'; }

durable_copy() { cp "$list" "$folder/copy.txt" && sync "$folder/copy.txt"; }
# A description of its own each time: a list refuses one it holds already.
cli_add() { "$cli" -f "$list" add "Project $next added by the benchmark." --number "$((next++))"; }
next=2000000

todo=""
if command -v todo-txt >/dev/null; then todo=todo-txt; elif command -v todo.sh >/dev/null; then todo=todo.sh; fi
if [ -n "$todo" ]; then
  mkdir -p "$folder/todo"
  cp "$list" "$folder/todo/todo.txt"
  printf 'export TODO_DIR=%q\nexport TODO_FILE="$TODO_DIR/todo.txt"\nexport DONE_FILE="$TODO_DIR/done.txt"\nexport REPORT_FILE="$TODO_DIR/report.txt"\n' \
    "$folder/todo" >"$folder/todo.cfg"
fi
todo_add() { "$todo" -d "$folder/todo.cfg" -p add "Project added by the benchmark"; }

# Warm the page cache and the program.
cat "$list" >/dev/null; "$cli" -f "$list" ls >/dev/null

: >"$folder/add" >"$folder/floor" >"$folder/todo.ms" >"$folder/find" >"$folder/grep" >"$folder/ls" >"$folder/cat"
for _ in $(seq "$runs"); do
  timed durable_copy >>"$folder/floor"
  timed cli_add >>"$folder/add"
  [ -n "$todo" ] && timed todo_add >>"$folder/todo.ms"
  timed grep -ci tunnel "$list" >>"$folder/grep"
  timed "$cli" -f "$list" find tunnel >>"$folder/find"
  timed cat "$list" >>"$folder/cat"
  timed "$cli" -f "$list" ls >>"$folder/ls"
done

# The merge driver: every 1000th line changed on one branch, every 1000th
# line from the 500th on the other.
awk '{ sub(/\r$/, "") } NR % 1000 == 1 { $0 = $0 " (ours)" } { printf "%s\r\n", $0 }' "$list" >"$folder/ours.txt"
awk '{ sub(/\r$/, "") } NR % 1000 == 500 { $0 = $0 " (theirs)" } { printf "%s\r\n", $0 }' "$list" >"$folder/theirs.txt"
: >"$folder/driver"
driver_status=0
for _ in $(seq "$runs"); do
  cp "$folder/ours.txt" "$folder/current.txt"
  start=$(now)
  "$cli" merge-driver "$list" "$folder/current.txt" "$folder/theirs.txt" 7 Projects.txt >/dev/null 2>&1 || driver_status=$?
  end=$(now)
  echo $(( (end - start) / 1000 )) >>"$folder/driver"
done
changed=$(grep -c -e '(ours)' -e '(theirs)' "$folder/current.txt" || true)

add=$(median <"$folder/add"); floor=$(median <"$folder/floor")
find=$(median <"$folder/find"); grep=$(median <"$folder/grep")
ls=$(median <"$folder/ls"); cat=$(median <"$folder/cat")
driver=$(median <"$folder/driver")
echo "list: 1000000 lines, $(stat -c %s "$list") bytes; median of $runs runs each, in milliseconds"
verdict() { awk -v a="$1" -v b="$2" -v limit="$3" 'BEGIN { r = a / b; printf "%.2fx (target at most %.1fx) %s", r, limit, (r <= limit ? "PASS" : "FAIL") }'; }
printf 'add:           %8s   durable rewrite floor %8s   %s\n' "$add" "$floor" "$(verdict "$add" "$floor" 1.3)"
if [ -n "$todo" ]; then
  printf '               todo.sh add (append, no flush) %8s   (shown, not targeted)\n' "$(median <"$folder/todo.ms")"
else
  echo "               todo.sh add: not installed (Debian: apt-get install todotxt-cli)"
fi
printf 'find:          %8s   grep -ci %8s   %s\n' "$find" "$grep" "$(verdict "$find" "$grep" 0.5)"
printf 'ls >/dev/null: %8s   cat      %8s   %s\n' "$ls" "$cat" "$(verdict "$ls" "$cat" 2)"
printf 'merge-driver:  %8s   (1000 changes a branch, %s in the result, status %s) %s\n' "$driver" "$changed" "$driver_status" \
  "$(awk -v t="$driver" 'BEGIN { print (t < 1000 ? "PASS" : "FAIL") }')"
