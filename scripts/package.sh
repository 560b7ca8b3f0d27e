#!/usr/bin/env bash
# Builds the Debian package vivarix_1.3_<arch>.deb in the build folder.
# Install it with: sudo apt install ./build/vivarix_1.3_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# dpkg-shlibdeps (in dpkg-dev) turns the libraries the program links into the
# package's dependencies.
if ! dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q 'install ok installed'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends dpkg-dev >/dev/null
fi

build=${VIVARIX_BUILD:-build}
cd "$build"
rm -f vivarix_*.deb
cpack -G DEB
ls -l vivarix_*.deb
