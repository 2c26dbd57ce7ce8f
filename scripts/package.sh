#!/usr/bin/env bash
# Builds the Debian package build/package/ostrel_<version>_<arch>.deb: a release build of the
# program alone (the package preset: no tests, no benchmarks), installed and packed by CPack,
# its dependencies read by dpkg-shlibdeps. Compiles through ccache when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset package -G Ninja "${launcher[@]}" >/dev/null
cmake --build --preset package -j "$(nproc)"
rm -f build/package/ostrel_*.deb
cpack --preset package >/dev/null
ls build/package/ostrel_*.deb
