#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) on the program's C++ sources changed since a revision:
# the given one, or else the newest commit older than a day (every source when there is none).
# Needs the compile commands of the asan build (scripts/build.sh asan).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/asan
base="${1:-$(git rev-list -1 --before='1 day ago' HEAD 2>/dev/null || true)}"
if [ -n "$base" ]; then
    files=$(git diff --name-only --diff-filter=AM "$base" -- '*.cpp')
else
    files=$(git ls-files '*.cpp')
fi
files=$(printf '%s\n' "$files" | grep -v -E '^(tests|bench|tools|resources|fuzz)/' || true)
if [ -z "$files" ]; then
    echo "clang-tidy: no changed sources"
    exit 0
fi
echo "clang-tidy: $(printf '%s\n' "$files" | wc -l) changed sources"
printf '%s\n' "$files" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet
