#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-asan}"
bash scripts/install-deps.sh
bash scripts/build.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
