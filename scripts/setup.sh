#!/usr/bin/env bash
# Installs what is missing, then configures and builds Vivarix into build/.
# Safe to run again: it installs nothing when everything is there.
set -euo pipefail
cd "$(dirname "$0")/.."

pakete=(cmake ninja-build g++ pkg-config
        qt6-base-dev qt6-base-private-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n
        libjpeg62-turbo-dev libwmf-dev fonts-urw-base35 libemf2svg-dev
        libgtest-dev libbenchmark-dev dbus-daemon
        desktop-file-utils appstream shared-mime-info
        poppler-utils)
source scripts/pakete.sh
pakete_installieren "${pakete[@]}"

build=${VIVARIX_BUILD:-build}
# Configure when the build folder is new or was configured otherwise: a changed
# build type or argument must not be ignored silently. The arguments in force
# are kept beside the build; a change starts the cache afresh, so an option
# dropped from the arguments does not linger in it.
argumente=(-G Ninja -DCMAKE_BUILD_TYPE=${VIVARIX_BUILD_TYPE:-RelWithDebInfo})
# A compiler cache, where one is installed, makes rebuilds in several checkouts cheap.
command -v ccache >/dev/null && argumente+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Warnings in the program's own code stop the build in CI (which sets CI), not
# in a keeper's own build; VIVARIX_WERROR=ON or OFF says so either way.
werror=${VIVARIX_WERROR:-}
if [ -z "$werror" ] && [ -n "${CI:-}" ] && [ "${CI:-}" != false ]; then werror=ON; fi
[ -n "$werror" ] && argumente+=("-DVIVARIX_WERROR=$werror")
# shellcheck disable=SC2206
argumente+=(${VIVARIX_CMAKE_ARGS:-})
stempel="$build/.vivarix-cmake-argumente"
if [ ! -f "$build/build.ninja" ] || [ "$(cat "$stempel" 2>/dev/null)" != "${argumente[*]}" ]; then
  frisch=()
  [ -f "$build/CMakeCache.txt" ] && frisch=(--fresh)
  cmake "${frisch[@]}" -S . -B "$build" "${argumente[@]}" >/dev/null
  printf '%s' "${argumente[*]}" > "$stempel"
fi
# CMAKE_BUILD_PARALLEL_LEVEL, when set, says how many jobs; otherwise one per core.
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
