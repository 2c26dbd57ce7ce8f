#!/usr/bin/env bash
# Ostrel on a real LDAP server in one command: starts a private slapd with the demo data (in a
# temporary folder, on a free loopback port), runs the program against it with
# OSTREL_CLIENT=ldap, and stops the server when the program ends.
#   scripts/ldap-demo.sh [preset]          preset: default (the default) or asan
#   scripts/ldap-demo.sh --server [preset] only the server, printing the settings to use
# As the administrator, or as any User of the demo with OSTREL_IDENTITY (Guest.Acme, ...): every
# User logs in with the password in the server folder's password file.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
server_only=0
if [ "${1:-}" = --server ]; then
    server_only=1
    shift
fi
preset="${1:-default}"
build="$here/build/$preset"
if [ ! -x "$build/client/ostrel-ldap-seed" ] || { [ "$server_only" = 0 ] && [ ! -x "$build/app/ostrel" ]; }; then
    cmake --preset "$preset" -G Ninja >/dev/null
    cmake --build --preset "$preset" --target ostrel-ldap-seed ostrel
fi
dir="$(mktemp -d /tmp/ostrel-ldap-demo-XXXXXX)"
# A loopback port nothing listens on (nor on the next one, for ldaps).
port=""
for _ in $(seq 1 50); do
    candidate=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null &&
        ! (exec 3<>"/dev/tcp/127.0.0.1/$((candidate + 1))") 2>/dev/null; then
        port=$candidate
        break
    fi
done
[ -n "$port" ] || { echo "no free loopback port" >&2; exit 1; }
OSTREL_SEED="$build/client/ostrel-ldap-seed" bash "$here/scripts/slapd-private.sh" prepare "$dir" "$port"
bash "$here/scripts/slapd-private.sh" run "$dir" "$port" &
slapd_pid=$!
trap 'kill $slapd_pid 2>/dev/null; wait $slapd_pid 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.05
done

export OSTREL_CLIENT=ldap
export OSTREL_LDAP_TREES="$dir/seed/trees.conf"
if [ -z "${OSTREL_IDENTITY:-}" ]; then
    export LDAPBINDDN="cn=Admin,o=Acme"
fi
export OSTREL_LDAP_PASSWORD_FILE="$dir/password"
echo "slapd with the demo data on ldap://127.0.0.1:$port (folder $dir)"
if [ "$server_only" = 1 ]; then
    echo "Settings for Ostrel:"
    echo "  export OSTREL_CLIENT=ldap OSTREL_LDAP_TREES=$OSTREL_LDAP_TREES"
    echo "  export OSTREL_LDAP_PASSWORD_FILE=$OSTREL_LDAP_PASSWORD_FILE"
    echo "  export LDAPBINDDN='cn=Admin,o=Acme'   (or OSTREL_IDENTITY=Guest.Acme, any User of the demo)"
    echo "Stop with Ctrl-C."
    wait $slapd_pid
else
    "$build/app/ostrel"
fi
