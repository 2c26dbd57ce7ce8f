#!/usr/bin/env bash
# Configures and builds one preset: default (the program) or asan (the sanitizer build);
# with target names after the preset, only those and what they need.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --preset "$preset" -G Ninja >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
