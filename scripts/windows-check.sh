#!/usr/bin/env bash
# Builds the list store (listfile/), its tests and the fuzz targets for
# 64-bit Windows with MinGW-w64 into build-windows/, and runs them under
# Wine: the GoogleTest suite, the save-kill test and the fuzz targets' seed
# corpora with a short mutation run, as CTest tests. Needs what "scripts/setup.sh --tests"
# installs. Reports the time of the build and of the run.
#
#   scripts/windows-check.sh [CTEST_OPTION...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
out="$here/build-windows"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
for tool in x86_64-w64-mingw32-g++-posix "$wine" "$wineserver"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "windows-check: $tool is missing; run scripts/setup.sh --tests" >&2
    exit 2
  fi
done
gtest_sources=/usr/src/googletest
if [ ! -f "$gtest_sources/CMakeLists.txt" ]; then
  echo "windows-check: GoogleTest's sources are missing ($gtest_sources); run scripts/setup.sh --tests" >&2
  exit 2
fi

started=$(date +%s)
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$out/CMakeCache.txt" ]; then
  generator=(-G Ninja)
fi
cmake -S . -B "$out" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$here/scripts/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINDLE_CORE_ONLY=ON -DQUINDLE_GTEST_SOURCES="$gtest_sources" \
  -DQUINDLE_FUZZ_DRIVER_RUNS="${QUINDLE_WINE_FUZZ_RUNS:-10000}" >/dev/null
cmake --build "$out" -j "$(nproc)"
built=$(date +%s)

# A Wine of our own in the build folder: no display, no debug chatter, no
# Mono or Gecko installers; one server kept up for the whole run.
export WINEPREFIX="$out/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
"$wineserver" -k 2>/dev/null || true  # one left by an interrupted run
"$wineserver" -p
# Wine's processes are gone, not only told to go, when this script ends.
trap '"$wineserver" -k 2>/dev/null || true; "$wineserver" -w 2>/dev/null || true' EXIT
# Wine's own background processes are started here, away from CTest's
# pipes: started by a test, they would hold its output open and CTest
# would wait for them until the test's time ran out.
"$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
# Processes start slowly under Wine, and some library calls are slow: the kill test
# makes fewer kills, and the fuzz targets run fewer mutated inputs
# (QUINDLE_WINE_FUZZ_RUNS, 10000) after their seeds.
QUINDLE_KILLS="${QUINDLE_KILLS:-100}" QUINDLE_KILL_SECONDS="${QUINDLE_KILL_SECONDS:-20}" \
  ctest --test-dir "$out" --output-on-failure -j "$(nproc)" "$@"
finished=$(date +%s)
echo "windows-check: cross build $((built - started)) s, tests under Wine $((finished - built)) s"
