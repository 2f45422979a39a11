#!/usr/bin/env bash
# Installs what Quindle needs on Debian 12, as root or through sudo.
#
#   scripts/setup.sh           what building and running the program needs
#   scripts/setup.sh --tests   that, and the tools of the tests, the sanitizer
#                              run, fuzzing and the benchmarks
#
# QUINDLE_SETUP_EXTRA names more packages to install alongside.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-documentation-tools qt6-l10n-tools libqt6help6 libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
  fonts-dejavu-core
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev                      # sanitizers and libFuzzer
  xvfb xauth xdotool x11-utils                  # the installed program driven on a virtual display
  poppler-utils
  at-spi2-core dbus python3-dbus               # the accessibility check reads the AT-SPI tree
  cups printer-driver-cups-pdf                  # the print test runs its own scheduler with a PDF queue
  desktop-file-utils appstream                  # validators of the desktop entry and the AppStream data
  git                                           # quindle-cli's merge driver is tried in a real repository
  g++-mingw-w64-x86-64-posix wine64 googletest  # the list store built for Windows and tested under Wine
)
case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac
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
