#!/usr/bin/env bash
# Installs what Quindle needs to build, run and test on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-documentation-tools libqt6help6 libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils
  cups printer-driver-cups-pdf  # the print test runs its own scheduler with a PDF queue
  at-spi2-core dbus python3-dbus xdotool  # the accessibility check reads the AT-SPI tree
)
if [ "${QUINDLE_SETUP_EXTRA:-}" != "" ]; then
  # shellcheck disable=SC2206
  packages+=(${QUINDLE_SETUP_EXTRA})
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
