#!/usr/bin/env bash
# Builds Vivarix in release mode and prints one table of speed ratios from
# all benchmarks (and the program's start against a minimal Qt window).
#   bash bench/leistung.sh            # table on the console
#   bash bench/leistung.sh > docs/performance.md
set -euo pipefail
cd "$(dirname "$0")/.."
export VIVARIX_BUILD=${VIVARIX_BUILD:-build-rel} VIVARIX_BUILD_TYPE=Release
bash scripts/setup.sh >&2
exec python3 bench/leistung.py "$VIVARIX_BUILD"
