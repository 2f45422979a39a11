#!/usr/bin/env bash
# Sets up, builds and runs every test headless; then builds the list store
# and its tests for Windows and runs them under Wine (build-windows/,
# scripts/windows-check.sh); then builds the whole program again with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and runs every
# test there too; then fuzzes the list store for a short while
# (scripts/fuzz.sh). QUINDLE_SANITIZE_TESTS=0 skips the last two steps,
# QUINDLE_WINDOWS_TESTS=0 the Windows one; QUINDLE_FUZZ_SECONDS sets the
# fuzzing time per target (20 s).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" --tests
cd "$here"
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"

if [ "${QUINDLE_WINDOWS_TESTS:-1}" != "0" ]; then
  ./scripts/windows-check.sh
fi

if [ "${QUINDLE_SANITIZE_TESTS:-1}" = "0" ]; then
  exit 0
fi

# -O1 keeps the sanitizer build and its run short on two cores. Leak
# detection stays on: Qt leaves no false reports in these suites.
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f build-asan/CMakeCache.txt ]; then
  generator=(-G Ninja)
fi
cmake -S . -B build-asan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DQUINDLE_SANITIZE=ON -DQUINDLE_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$(nproc)"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
QUINDLE_KILL_SECONDS="${QUINDLE_KILL_SECONDS:-15}" \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)" "$@"

./scripts/fuzz.sh "${QUINDLE_FUZZ_SECONDS:-20}"
