#!/usr/bin/env bash
# Builds the Debian package vivarix_1.3_<arch>.deb in the build folder.
# Install it with: sudo apt install ./build/vivarix_1.3_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# dpkg-shlibdeps (in dpkg-dev) turns the libraries the program links into the
# package's dependencies.
source scripts/pakete.sh
pakete_installieren dpkg-dev

build=${VIVARIX_BUILD:-build}
cd "$build"
rm -f vivarix_*.deb
cpack -G DEB
ls -l vivarix_*.deb
