#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (only those
# missing). Needs root or sudo when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  clang libclang-rt-dev        # the fuzz targets (libFuzzer)
  lrzsz socat                  # an independent XMODEM receiver for the firmware tests
  tshark libpri-dev            # independent ISDN decoding and traffic for the ISDN tests
  qt6-base-dev libgl-dev       # the viewer ZaqView, the applet Zaq16Cntrl and their tests (Qt 6 Widgets)
  libmosquitto-dev mosquitto mosquitto-clients  # zaqbridge and its broker tests
  openssl                      # a throw-away certificate authority for the bridge's TLS test
  lintian dpkg-dev fakeroot    # building and checking the .deb package
  g++-mingw-w64-x86-64-posix wine wine64  # the Windows DLL and its test under Wine
)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
runner=()
if [ "$(id -u)" -ne 0 ]; then
  runner=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# tshark asks whether non-root users may capture; the default answer is fine.
echo "wireshark-common wireshark-common/install-setuid boolean false" | "${runner[@]}" debconf-set-selections 2>/dev/null || true
"${runner[@]}" apt-get update -qq || true
if ! "${runner[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  # The build itself needs only the first group; the tests that need the
  # others skip themselves when their tools are absent.
  "${runner[@]}" apt-get install -y -qq --no-install-recommends build-essential cmake libgtest-dev libgmock-dev
fi
