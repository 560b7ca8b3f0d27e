#!/usr/bin/env bash
# Builds Vivarix with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs every test there (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
export VIVARIX_BUILD=build-asan VIVARIX_BUILD_TYPE=Debug
export VIVARIX_CMAKE_ARGS="-DVIVARIX_SANITIZE=ON -DVIVARIX_BENCH=OFF"
bash scripts/setup.sh
cd build-asan
# Qt and fontconfig keep caches for the life of the process; leaks there are not ours.
export LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
