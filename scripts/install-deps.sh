#!/usr/bin/env bash
# Installs the Debian packages Ostrel needs to build, run and test. Run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev clang-tidy
    clang libclang-rt-dev
    fonts-dejavu-core xvfb xauth
    libmimalloc-dev
)
# Remembered passwords of saved connections: the desktop's secret store through QtKeychain.
packages+=(qtkeychain-qt6-dev)
# The Debian package (scripts/package.sh) and its test: dpkg-shlibdeps reads its dependencies,
# the validators check its desktop entry and metainfo.
packages+=(dpkg-dev desktop-file-utils appstream)
# The LDAP client and its tests: libldap, and a slapd the tests start themselves.
packages+=(libldap-dev slapd ldap-utils openssl)
# A 389 Directory Server instance the tests create themselves (dscreate, from python3-lib389).
packages+=(389-ds-base python3-lib389)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    # slapd is only ever started by the tests and the demo script: no system instance.
    echo "slapd slapd/no_configuration boolean true" | "${sudo_cmd[@]}" debconf-set-selections
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
