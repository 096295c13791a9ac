#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the program and its package need (only
# those that are missing; the icon is rendered by rsvg-convert, the package's dependencies are
# found by dpkg-shlibdeps), then configures build/ and builds the targets given (default: all).
# Every script configures build/ the same way, so switching between them rebuilds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libfontconfig-dev qt6-translations-l10n
  qt6-charts-dev libqt6opengl6-dev  # Qt Charts' CMake files need Qt OpenGL's; Debian does not pull them in
  libsqlcipher-dev
  qt6-documentation-tools assistant-qt6 libqt6sql6-sqlite
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth
  openssl  # the tests make a self-signed certificate for the https refusal
  librsvg2-bin dpkg-dev file desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIRUMOA_WERROR=ON >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
