#!/usr/bin/env bash
# Builds Vivarix and starts it in its program folder (beside hilfe/ and options.ini).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd "${VIVARIX_BUILD:-build}"
exec ./vivarix
