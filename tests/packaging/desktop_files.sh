#!/usr/bin/env bash
# The desktop entry and the AppStream data pass their validators.
#   desktop_files.sh DESKTOP_FILE METAINFO_FILE
# Exit 77 (skipped) when neither validator is installed.
set -euo pipefail
checked=0
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$1"
  checked=1
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$2"
  checked=1
fi
[ "$checked" = 1 ] || { echo "SKIP: desktop-file-validate and appstreamcli are not installed"; exit 77; }
