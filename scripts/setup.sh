#!/usr/bin/env bash
# Installs what is missing, then configures and builds Vivarix into build/.
# Safe to run again: it installs nothing when everything is there.
set -euo pipefail
cd "$(dirname "$0")/.."

pakete=(cmake ninja-build g++ pkg-config
        qt6-base-dev qt6-base-private-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n
        libjpeg62-turbo-dev libwmf-dev fonts-urw-base35 libemf2svg-dev
        libgtest-dev libbenchmark-dev dbus-daemon
        desktop-file-utils appstream
        poppler-utils)
fehlend=()
for p in "${pakete[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || fehlend+=("$p")
done
if [ ${#fehlend[@]} -gt 0 ]; then
  echo "Installing: ${fehlend[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${fehlend[@]}" >/dev/null
fi

build=${VIVARIX_BUILD:-build}
if [ ! -f "$build/build.ninja" ]; then
  extra=()
  # A compiler cache, where one is installed, makes rebuilds in several checkouts cheap.
  command -v ccache >/dev/null && extra+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${VIVARIX_BUILD_TYPE:-RelWithDebInfo} "${extra[@]}" ${VIVARIX_CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
