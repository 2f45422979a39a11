#!/usr/bin/env bash
# Sets up, builds and starts Quindle in the current folder (it reads
# Projects.txt from the working directory).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
(cd "$here" && ./scripts/build.sh)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Quindle is built ($here/build/quindle), but there is no graphical display here to show it on"
  echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Run it from a desktop session, or under a"
  echo "virtual display: xvfb-run $here/build/quindle"
  exit 1
fi
exec "$here/build/quindle" "$@"
