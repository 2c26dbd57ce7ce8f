#!/usr/bin/env bash
# A private slapd serving a data folder of the embedded directory, in a folder of its own and
# on a loopback port; never the system instance.
#   slapd-private.sh prepare DIR PORT [TREE=file.ldif ...]   writes DIR: cn=config, databases
#   slapd-private.sh run DIR PORT                             runs slapd in the foreground
# Settings: OSTREL_SEED (the ostrel-ldap-seed program), OSTREL_DATA (the data folder, default the
# source tree's), OSTREL_SLAPD_TLS_CERT and OSTREL_SLAPD_TLS_KEY (serve StartTLS and ldaps on
# PORT+1 with this certificate). DIR/password holds the password of every User of the data
# (cn=Admin,o=Acme among them); the tree's ACL values are the server's access rules.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-}"
dir="${2:-}"
port="${3:-}"
[ -n "$mode" ] && [ -n "$dir" ] && [ -n "$port" ] || {
    echo "usage: $0 prepare|run DIR PORT [TREE=file.ldif ...]" >&2
    exit 2
}
shift 3
slapd=/usr/sbin/slapd
[ -x "$slapd" ] || { echo "slapd is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
socket="ldapi://$(printf '%s' "$dir/ldapi" | sed 's|/|%2F|g')"
urls="ldap://127.0.0.1:$port/ $socket"
if [ -n "${OSTREL_SLAPD_TLS_CERT:-}" ]; then
    urls="$urls ldaps://127.0.0.1:$((port + 1))/"
fi

if [ "$mode" = run ]; then
    exec "$slapd" -F "$dir/config" -h "$urls" -d 0
fi
[ "$mode" = prepare ] || { echo "unknown mode $mode" >&2; exit 2; }

seed="${OSTREL_SEED:-}"
if [ -z "$seed" ]; then
    for candidate in "$here"/build/*/client/ostrel-ldap-seed; do
        [ -x "$candidate" ] && seed="$candidate" && break
    done
fi
[ -x "$seed" ] || { echo "ostrel-ldap-seed not found: build it (cmake --build --preset default --target ostrel-ldap-seed)" >&2; exit 1; }
data="${OSTREL_DATA:-$here/data}"
root="gidNumber=$(id -g)+uidNumber=$(id -u),cn=peercred,cn=external,cn=auth"

rm -rf "$dir/config" "$dir"/db* "$dir/seed"
mkdir -p "$dir/config" "$dir/seed"
if [ ! -s "$dir/password" ]; then
    (umask 077 && head -c 12 /dev/urandom | base64 | tr -d '/+=\n' > "$dir/password")
fi

# What this slapd defines itself: a bare server is asked for its subschema.
"$seed" bare "$dir/seed" "$root"
slapadd -n0 -F "$dir/config" -l "$dir/seed/bare.ldif" >/dev/null 2>&1
"$slapd" -F "$dir/config" -h "$socket" -d 0 >/dev/null 2>&1 &
bare=$!
trap 'kill $bare 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    if ldapsearch -LLL -o ldif-wrap=no -Y EXTERNAL -H "$socket" -b cn=subschema -s base \
        attributeTypes objectClasses ldapSyntaxes >"$dir/seed/builtin.ldif" 2>/dev/null; then
        break
    fi
    sleep 0.05
done
kill $bare && wait $bare 2>/dev/null || true
trap - EXIT

"$seed" write "$data" "$dir/seed" "ldap://127.0.0.1:$port" "$root" "$dir/password" \
    "$dir/seed/builtin.ldif" "$@"
rm -rf "$dir/config" && mkdir -p "$dir/config"
config="$dir/seed/config.ldif"
if [ -n "${OSTREL_SLAPD_TLS_CERT:-}" ]; then
    sed -i "0,/^cn: config$/s||cn: config\nolcTLSCertificateFile: $OSTREL_SLAPD_TLS_CERT\nolcTLSCertificateKeyFile: $OSTREL_SLAPD_TLS_KEY|" "$config"
fi
slapadd -n0 -F "$dir/config" -l "$config"
count="$(cat "$dir/seed/databases")"
for n in $(seq 1 "$count"); do
    mkdir -p "$dir/seed/db$n"
    slapadd -q -s -n "$n" -F "$dir/config" -l "$dir/seed/db$n.ldif"
done
