#!/usr/bin/env bash
# Configures and builds Quindle into build/ (build/quindle, build/Quindle.qch).
#
#   scripts/build.sh [--program] [CMAKE_OPTION...]
#
# Builds the program with its tests and benchmarks; --program builds the
# program alone, which needs only what "scripts/setup.sh" installs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
parts=(-DQUINDLE_BUILD_TESTS=ON -DQUINDLE_BUILD_BENCH=ON)
if [ "${1:-}" = "--program" ]; then
  parts=(-DQUINDLE_BUILD_TESTS=OFF -DQUINDLE_BUILD_BENCH=OFF)
  shift
fi
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f build/CMakeCache.txt ]; then
  generator=(-G Ninja)
fi
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${parts[@]}" "$@" >/dev/null
cmake --build build -j "$(nproc)"
