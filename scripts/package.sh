#!/usr/bin/env bash
# Builds the Debian package of the program from what `cmake --install` installs (the programs,
# the sample database, the menu entry and icon, Qt's Japanese texts) and prints its path.
# Install it with: sudo apt install ./build/package/pirumoa_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
rm -f build/package/pirumoa_*.deb
(cd build && cpack -G DEB -B "$PWD/package" >/dev/null)
ls -1 "$PWD"/build/package/pirumoa_*.deb
