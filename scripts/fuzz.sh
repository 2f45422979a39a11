#!/usr/bin/env bash
# Fuzzes the list store's parsers and transforms with libFuzzer, under
# AddressSanitizer and UndefinedBehaviorSanitizer, for a bounded time each.
#
#   scripts/fuzz.sh [seconds per target] [target...]     (default 20 s, every target)
#
# Builds listfile/ and tests/fuzz/ alone (no Qt) with clang into build-fuzz/.
# Each target starts from its seeds in tests/fuzz/corpus/<target>/ and keeps
# what it finds in build-fuzz/corpus/<target>/; a crashing input lands in
# build-fuzz/crashes/ and the script fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
shift || true
build="$here/build-fuzz"

cc="$(command -v clang || command -v clang-14)"
cxx="$(command -v clang++ || command -v clang++-14)"
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$build/CMakeCache.txt" ]; then
  generator=(-G Ninja)
fi
CC="$cc" CXX="$cxx" cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUINDLE_CORE_ONLY=ON -DQUINDLE_FUZZ=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$here"/tests/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
  done
fi

mkdir -p "$build/crashes"
failed=0
for target in "${targets[@]}"; do
  if [ ! -x "$build/fuzz_$target" ]; then
    echo "fuzz_$target: not built (it needs Qt Core)"
    continue
  fi
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/fuzz_$target.log"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz_$target" "$corpus" "$here/tests/fuzz/corpus/$target" \
      -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$target-" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, no finding"
  else
    echo "fuzz_$target: FINDING, see $log and $build/crashes/"
    tail -40 "$log"
    failed=1
  fi
done
exit $failed
