#!/usr/bin/env bash
# Builds Vivarix and runs every test through CTest, without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
# The layout check of the suite needs clang-format; the program itself does not.
source scripts/pakete.sh
pakete_installieren clang-format git
bash scripts/setup.sh
cd "${VIVARIX_BUILD:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
