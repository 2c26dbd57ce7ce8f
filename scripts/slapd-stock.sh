#!/usr/bin/env bash
# A private slapd configured the way Debian's package configures it (only the standard schema,
# back_mdb as a module, Debian's default access rules), serving test data that Ostrel did not
# seed, in a folder of its own and on a loopback port; never the system instance.
#   slapd-stock.sh prepare DIR PORT   writes DIR: cn=config, two databases, their data
#   slapd-stock.sh run DIR PORT       runs slapd in the foreground
# The databases:
#   dc=example,dc=com   root DN cn=admin,dc=example,dc=com; cn=editor,dc=example,dc=com may
#                       write it (userPassword write-only); 1,200 entries under ou=Staff
#   o=Harbour Lights    root DN cn=admin,o=Harbour Lights
# Both root DNs and the editor use the password in DIR/password (made if missing). cn=config is
# managed only by SASL EXTERNAL over ldapi://DIR/ldapi as the user running this script; the root
# DNs of the data databases have no access to it. Search size limit 500 (not for root DNs),
# paged searches included: a paged search by anyone else ends at 500 entries too.
# Settings: OSTREL_FOREIGN_DATA (the data script, default scripts/foreign-data.sh).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-}"
dir="${2:-}"
port="${3:-}"
[ -n "$mode" ] && [ -n "$dir" ] && [ -n "$port" ] || {
    echo "usage: $0 prepare|run DIR PORT" >&2
    exit 2
}
slapd=/usr/sbin/slapd
[ -x "$slapd" ] || { echo "slapd is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
socket="ldapi://$(printf '%s' "$dir/ldapi" | sed 's|/|%2F|g')"
urls="ldap://127.0.0.1:$port/ $socket"

if [ "$mode" = run ]; then
    exec "$slapd" -F "$dir/config" -h "$urls" -d 0
fi
[ "$mode" = prepare ] || { echo "unknown mode $mode" >&2; exit 2; }

schema=/etc/ldap/schema
for file in core cosine nis inetorgperson; do
    [ -r "$schema/$file.ldif" ] || { echo "missing $schema/$file.ldif (the slapd package has it)" >&2; exit 1; }
done
[ -r /usr/lib/ldap/back_mdb.so ] || { echo "missing /usr/lib/ldap/back_mdb.so" >&2; exit 1; }

rm -rf "$dir/config" "$dir/db-example" "$dir/db-harbour" "$dir/data" "$dir/ldapi"
mkdir -p "$dir/config" "$dir/db-example" "$dir/db-harbour" "$dir/data"
if [ ! -s "$dir/password" ]; then
    (umask 077 && head -c 12 /dev/urandom | base64 | tr -d '/+=\n' > "$dir/password")
fi
hash="$(slappasswd -n -T "$dir/password")"
[ -n "$hash" ] || { echo "slappasswd gave no hash for $dir/password" >&2; exit 1; }

# The local root as Debian's configuration names it, with this user's ids.
root="gidNumber=$(id -g)+uidNumber=$(id -u),cn=peercred,cn=external,cn=auth"
editor="cn=editor,dc=example,dc=com"

# Debian's slapd.init.ldif with the paths moved into DIR, a second database, and the editor.
cat >"$dir/data/config.ldif" <<EOF
dn: cn=config
objectClass: olcGlobal
cn: config
olcLogLevel: none
olcToolThreads: 1

dn: olcDatabase={-1}frontend,cn=config
objectClass: olcDatabaseConfig
objectClass: olcFrontendConfig
olcDatabase: {-1}frontend
olcSizeLimit: 500
olcAccess: {0}to * by dn.exact=$root manage by * break
olcAccess: {1}to dn.exact="" by * read
olcAccess: {2}to dn.base="cn=Subschema" by * read

dn: olcDatabase=config,cn=config
objectClass: olcDatabaseConfig
olcDatabase: config
olcAccess: to * by dn.exact=$root manage by * break
olcRootDN: cn=admin,cn=config

dn: cn=schema,cn=config
objectClass: olcSchemaConfig
cn: schema

include: file://$schema/core.ldif

include: file://$schema/cosine.ldif

include: file://$schema/nis.ldif

include: file://$schema/inetorgperson.ldif

dn: cn=module{0},cn=config
objectClass: olcModuleList
cn: module{0}
olcModulePath: /usr/lib/ldap
olcModuleLoad: back_mdb

dn: olcDatabase=mdb,cn=config
objectClass: olcDatabaseConfig
objectClass: olcMdbConfig
olcDatabase: mdb
olcDbMaxSize: 1073741824
olcDbCheckpoint: 512 30
olcLastMod: TRUE
olcSuffix: dc=example,dc=com
olcDbDirectory: $dir/db-example
olcRootDN: cn=admin,dc=example,dc=com
olcRootPW: $hash
olcDbIndex: objectClass eq
olcDbIndex: cn,uid eq
olcDbIndex: uidNumber,gidNumber eq
olcDbIndex: member,memberUid eq
olcAccess: to attrs=userPassword by self write by dn.exact="$editor" =w by anonymous auth by * none
olcAccess: to attrs=shadowLastChange by self write by dn.exact="$editor" write by * read
olcAccess: to * by dn.exact="$editor" write by * read

dn: olcDatabase=mdb,cn=config
objectClass: olcDatabaseConfig
objectClass: olcMdbConfig
olcDatabase: mdb
olcDbMaxSize: 1073741824
olcDbCheckpoint: 512 30
olcLastMod: TRUE
olcSuffix: o=Harbour Lights
olcDbDirectory: $dir/db-harbour
olcRootDN: cn=admin,o=Harbour Lights
olcRootPW: $hash
olcDbIndex: objectClass eq
olcDbIndex: cn,uid eq
olcAccess: to attrs=userPassword by self write by anonymous auth by * none
olcAccess: to attrs=shadowLastChange by self write by * read
olcAccess: to * by * read
EOF

data_script="${OSTREL_FOREIGN_DATA:-$here/scripts/foreign-data.sh}"
bash "$data_script" "$dir/data/example.ldif" "$hash"
bash "$data_script" --harbour "$dir/data/harbour.ldif"

slapadd -n0 -F "$dir/config" -l "$dir/data/config.ldif" >"$dir/data/slapadd.log" 2>&1 || {
    cat "$dir/data/slapadd.log" >&2
    echo "slapadd of the configuration failed" >&2
    exit 1
}
# -q skips the consistency checks (fast); the schema checks stay, so the data must fit the
# stock schema as it would over the wire.
for n in 1:example 2:harbour; do
    slapadd -q -n "${n%%:*}" -F "$dir/config" -l "$dir/data/${n#*:}.ldif" >"$dir/data/slapadd.log" 2>&1 || {
        cat "$dir/data/slapadd.log" >&2
        echo "slapadd of $dir/data/${n#*:}.ldif failed" >&2
        exit 1
    }
done
rm -f "$dir/data/slapadd.log"
