#!/usr/bin/env bash
# Starts the program on a virtual display with its own D-Bus session and
# reads what a screen reader would, through the desktop's accessibility bus
# (AT-SPI): names of the controls, toolbar buttons and panels, and the
# selected project of the list. Usage: tests/accessibility/atspi_check.sh [build-dir]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
for tool in xvfb-run dbus-run-session xdotool /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "missing $tool: run scripts/setup.sh" >&2
    exit 1
  fi
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf '004     Garden shed\r\n007     Ring Road survey\r\n009     Bridge\r\n' >"$work/Projects.txt"
mkdir -p "$work/config"
export XDG_CONFIG_HOME="$work/config"
# In the sanitizer build: X11's keyboard library hands strndup a buffer
# without an end byte, which the strict string checks take for an overflow,
# and the X11 and font libraries keep memory until the process ends.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:strict_string_checks=0"
# A display number taken by another X server at the same moment ends the
# program at once; another display is tried then.
for attempt in 1 2 3; do
  status=0
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- /usr/bin/python3 "$here/atspi_check.py" "$build/quindle" "$work" || status=$?
  [ "$status" -ne 3 ] && exit "$status"
done
exit 1
