#!/usr/bin/env bash
# A private 389 Directory Server instance serving the foreign test data (scripts/foreign-data.sh)
# in a folder of its own, on a loopback port, as the user running the script (root included)
# and without systemd; never a system instance, nothing written outside DIR.
#   dirsrv-private.sh prepare DIR PORT   creates the instance in DIR (stopped), loads the data
#   dirsrv-private.sh run DIR PORT       runs ns-slapd in the foreground (no error log then)
#   dirsrv-private.sh start DIR          starts it in the background, back once it listens
#   dirsrv-private.sh stop DIR           stops what start started
# The instance: ldap://127.0.0.1:PORT only (no TLS), root DN "cn=Directory Manager" with the
# password in DIR/password (made if missing), suffix dc=example,dc=com, nsslapd-sizelimit 500
# (not for the root DN). ACIs on the suffix: anyone reads all but userPassword, an entry writes
# its own userPassword, cn=editor,dc=example,dc=com (same password) writes the tree and may set
# (not read) passwords. cn=config and cn=schema: the root DN only, also as SASL EXTERNAL over
# the ldapi socket DIR/root/run/slapd-ostrel.socket (autobind maps the running root to it).
# Settings: OSTREL_FOREIGN_DATA (the data script, default scripts/foreign-data.sh).
# prepare takes 11-14 s on 2 cores (against under a second for slapd-stock.sh): dscreate ~6 s
# (it starts the server and stops it, and a stop waits seconds for the database threads), the
# offline import of the 1,237 entries ~3.5 s (0.4 s of it busy, the rest its threads' pauses).
# run listens after about 1 s.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-}"
dir="${2:-}"
port="${3:-}"
case "$mode" in
prepare | run) [ -n "$dir" ] && [ -n "$port" ] ;;
start | stop) [ -n "$dir" ] ;;
*) false ;;
esac || {
    echo "usage: $0 prepare|run DIR PORT, or $0 start|stop DIR" >&2
    exit 2
}
for tool in dscreate ns-slapd pwdhash; do
    command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || {
        echo "$tool is missing: install 389-ds-base (scripts/install-deps.sh does)" >&2
        exit 1
    }
done
export PATH="$PATH:/usr/sbin"
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
name=ostrel
# lib389 looks for defaults.inf, and so for every path of an instance, under $PREFIX.
export PREFIX="$dir/root"
config="$PREFIX/etc/dirsrv/slapd-$name"
pidfile="$PREFIX/run/dirsrv/slapd-$name.pid"
errors="$PREFIX/var/log/dirsrv/slapd-$name/errors"

listens() {
    ldapsearch -x -H "ldap://127.0.0.1:$1/" -b "" -s base -LLL 1.1 >/dev/null 2>&1
}

configured_port() {
    sed -n 's/^nsslapd-port: //p' "$config/dse.ldif" | head -1
}

case "$mode" in
run)
    [ -f "$config/dse.ldif" ] || { echo "no instance in $dir: run prepare first" >&2; exit 1; }
    [ "$(configured_port)" = "$port" ] || {
        echo "the instance in $dir listens on port $(configured_port), not $port" >&2
        exit 1
    }
    # -d keeps ns-slapd in the foreground; it then writes no error log.
    exec ns-slapd -D "$config" -d 0
    ;;
start)
    [ -f "$config/dse.ldif" ] || { echo "no instance in $dir: run prepare first" >&2; exit 1; }
    port="$(configured_port)"
    ns-slapd -D "$config" -i "$pidfile" >"$dir/data/start.log" 2>&1 || {
        cat "$dir/data/start.log" >&2
        echo "ns-slapd did not start: see $errors" >&2
        exit 1
    }
    for _ in $(seq 1 300); do
        listens "$port" && exit 0
        sleep 0.1
    done
    echo "ns-slapd does not listen on port $port: see $errors" >&2
    exit 1
    ;;
stop)
    [ -s "$pidfile" ] || exit 0
    pid="$(cat "$pidfile")"
    kill "$pid" 2>/dev/null || exit 0
    # Stopping takes a few seconds: the database threads wind down.
    for _ in $(seq 1 300); do
        kill -0 "$pid" 2>/dev/null || exit 0
        sleep 0.1
    done
    echo "ns-slapd ($pid) did not stop" >&2
    exit 1
    ;;
esac

# ---- prepare ----
rm -rf "$PREFIX" "$dir/data"
mkdir -p "$PREFIX/share/dirsrv/inf" "$PREFIX/etc/dirsrv" "$PREFIX/tmp" "$dir/data"
if [ ! -s "$dir/password" ]; then
    (umask 077 && head -c 12 /dev/urandom | base64 | tr -d '/+=\n' > "$dir/password")
fi
password="$(cat "$dir/password")"
[ "${#password}" -ge 8 ] || { echo "the password in $dir/password is shorter than 8 characters" >&2; exit 1; }
user="$(id -un)"
group="$(id -gn)"

# The package's defaults with every path under /etc, /var, /run, /dev/shm and /tmp moved into
# the prefix; no systemd (so lib389 starts ns-slapd itself and writes no unit or tmpfiles.d).
defaults="$(dpkg -L 389-ds-base 2>/dev/null | grep '/inf/defaults.inf$' | head -1 || true)"
[ -r "${defaults:-}" ] || defaults=/usr/share/dirsrv/inf/defaults.inf
[ -r "$defaults" ] || { echo "defaults.inf of 389-ds-base not found" >&2; exit 1; }
sed -E -e "s#= (/etc|/var|/run|/dev/shm|/tmp)#= $PREFIX\\1#" \
    -e "s#^with_systemd = .*#with_systemd = 0#" \
    -e "s#^user = .*#user = $user#" -e "s#^group = .*#group = $group#" \
    "$defaults" >"$PREFIX/share/dirsrv/inf/defaults.inf"
# dscreate copies the schema and the collation and certmap files from <sysconf_dir>/dirsrv.
cp -r /etc/dirsrv/schema /etc/dirsrv/config "$PREFIX/etc/dirsrv/"

# full_machine_name localhost: no name lookup of this machine. create_suffix_entry is left out
# as lib389 reads any value of it, "False" too, as true. The secure port is never opened (no
# certificate, nsslapd-security off) but dscreate wants a free one.
touch "$dir/data/instance.inf" && chmod 600 "$dir/data/instance.inf"
cat >"$dir/data/instance.inf" <<EOF
[general]
full_machine_name = localhost
strict_host_checking = False
selinux = False
systemd = False
start = False

[slapd]
instance_name = $name
user = $user
group = $group
port = $port
secure_port = $((port + 1))
self_sign_cert = False
root_dn = cn=Directory Manager
root_password = $password

[backend-userroot]
suffix = dc=example,dc=com
sample_entries = no
EOF
dscreate -v from-file "$dir/data/instance.inf" >"$dir/data/dscreate.log" 2>&1 || {
    tail -20 "$dir/data/dscreate.log" >&2
    echo "dscreate failed: see $dir/data/dscreate.log" >&2
    exit 1
}
rm -f "$dir/data/instance.inf"
[ ! -s "$pidfile" ] || ! kill -0 "$(cat "$pidfile")" 2>/dev/null || {
    echo "dscreate left ns-slapd running" >&2
    exit 1
}

# Settings changed in dse.ldif while the server is down: loopback only, the size limit, and
# small caches (left automatic, the database cache takes a quarter of the machine's memory and
# an import half of what is free: gigabytes, and seconds to allocate them).
edit_dse() { # edit_dse DN ATTR VALUE: ATTR of the entry DN gets the one value VALUE
    awk -v dn="dn: $1" -v attr="$2" -v value="$3" '
        BEGIN { RS = ""; ORS = "\n\n"; a = tolower(attr) ": " }
        $0 == dn || index($0, dn "\n") == 1 {
            n = split($0, lines, "\n"); out = ""; skip = 0
            for (i = 1; i <= n; i++) {
                if (skip && substr(lines[i], 1, 1) == " ") continue
                skip = index(tolower(lines[i]), a) == 1
                if (!skip) out = out lines[i] "\n"
            }
            $0 = out attr ": " value
        }
        { print }' "$config/dse.ldif" >"$config/dse.ldif.new"
    mv "$config/dse.ldif.new" "$config/dse.ldif"
}
edit_dse cn=config nsslapd-listenhost 127.0.0.1
edit_dse cn=config nsslapd-sizelimit 500
edit_dse "cn=bdb,cn=config,cn=ldbm database,cn=plugins,cn=config" nsslapd-cache-autosize 0
edit_dse "cn=bdb,cn=config,cn=ldbm database,cn=plugins,cn=config" nsslapd-dbcachesize 33554432
edit_dse "cn=bdb,cn=config,cn=ldbm database,cn=plugins,cn=config" nsslapd-import-cache-autosize 0
rm -f "$config"/dse.ldif.bak "$config"/dse.ldif.startOK

# The data with the access rules on the suffix, imported offline.
hash="$(pwdhash -D "$config" "$password")"
bash "${OSTREL_FOREIGN_DATA:-$here/scripts/foreign-data.sh}" "$dir/data/example.ldif" "$hash"
editor="ldap:///cn=editor,dc=example,dc=com"
awk -v editor="$editor" '
    NR == 1 {
        print
        print "aci: (targetattr != \"userPassword || aci\")(version 3.0; acl \"Anyone reads\"; allow (read, search, compare) userdn = \"ldap:///anyone\";)"
        print "aci: (targetattr = \"userPassword\")(version 3.0; acl \"Own password\"; allow (read, search, compare, write) userdn = \"ldap:///self\";)"
        print "aci: (targetattr != \"userPassword || aci\")(version 3.0; acl \"Editor writes\"; allow (all) userdn = \"" editor "\";)"
        print "aci: (targetattr = \"userPassword\")(version 3.0; acl \"Editor sets passwords\"; allow (add, write) userdn = \"" editor "\";)"
        next
    }
    { print }' "$dir/data/example.ldif" >"$dir/data/example-aci.ldif"
# ldif2db ends non-zero when it skipped an entry (the errors log tells which).
ns-slapd ldif2db -D "$config" -n userroot -i "$dir/data/example-aci.ldif" >/dev/null 2>&1 || {
    grep -E " - (ERR|WARN|CRIT)" "$errors" | tail -10 >&2 || true
    echo "importing the data failed: see $errors" >&2
    exit 1
}
rm -f "$dir/data/example-aci.ldif"
