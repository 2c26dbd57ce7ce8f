#!/usr/bin/env bash
# Makes a data folder for the embedded directory: the demo data with one more Organizational
# Unit, Large.Acme, holding COUNT users shaped as those of Bulk.Acme.
#   bash bench/data/large-data.sh COUNT FOLDER
set -euo pipefail
count=${1:?usage: large-data.sh COUNT FOLDER}
folder=${2:?usage: large-data.sh COUNT FOLDER}
here="$(cd "$(dirname "$0")/../.." && pwd)"
rm -rf "$folder"
mkdir -p "$folder"
cp -r "$here/data/." "$folder/"
awk -v n="$count" 'BEGIN {
    print "version: 1"
    printf "# %d users of Large.Acme, generated.\n\n", n
    print "dn: ou=Large,o=Acme"
    print "objectClass: organizationalUnit"
    print ""
    for (i = 1; i <= n; i++) {
        # Names in an order the page must sort: not the order they are added in.
        k = (i * 7919) % n
        printf "dn: cn=User%07d,ou=Large,o=Acme\nobjectClass: inetOrgPerson\nsn: Large%07d\ntelephoneNumber: +1 555 %04d\n\n", k, k, k % 10000
    }
}' > "$folder/acme/large.ldif"
printf 'load ACME_TREE acme/large.ldif\n' >> "$folder/directory.conf"
