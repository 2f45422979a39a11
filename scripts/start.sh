#!/usr/bin/env bash
# Sets up, builds and starts Quindle in the current folder (it reads
# Projects.txt from the working directory). Arguments go to the program,
# for example a list file to open.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
test_tools_installed() {
  for p in libgtest-dev libbenchmark-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || return 1
  done
}
# Where the test tools are installed the tests stay in the build, so that
# starting the program does not drop them from it.
if test_tools_installed; then
  (cd "$here" && ./scripts/build.sh)
else
  (cd "$here" && ./scripts/build.sh --program)
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Quindle is built ($here/build/quindle), but there is no graphical display here to show it on"
  echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run it from a desktop session, or under a"
  echo "virtual display: xvfb-run $here/build/quindle"
  exit 1
fi
exec "$here/build/quindle" "$@"
