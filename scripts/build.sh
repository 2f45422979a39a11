#!/usr/bin/env bash
# Configures and builds Quindle into build/ (build/quindle, build/Quindle.qch).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f build/CMakeCache.txt ]; then
  generator=(-G Ninja)
fi
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j "$(nproc)"
