#!/usr/bin/env bash
# Builds Vivarix and runs every test through CTest, without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd "${VIVARIX_BUILD:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
