#!/usr/bin/env bash
# Test data for the foreign servers (stock slapd, 389-ds): a directory in standard schema only
# (core, cosine, inetorgperson, nis) that Ostrel did not seed. Deterministic: the same
# arguments write the same bytes.
#   foreign-data.sh OUT.ldif [EDITOR_PASSWORD]   the dc=example,dc=com tree; the editor
#                                                 (cn=editor,dc=example,dc=com) gets
#                                                 userPassword: EDITOR_PASSWORD when given
#   foreign-data.sh --harbour OUT.ldif            the small o=Harbour Lights tree
# The certificate of Owen Marsh is tests/data/foreign/cert.der, made once (key thrown away) by
#   openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 36500 \
#     -subj "/C=GB/O=Example Harbour Works/OU=People/CN=Owen Marsh" -outform DER -out cert.der
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
tree=example
if [ "${1:-}" = --harbour ]; then
    tree=harbour
    shift
fi
out="${1:-}"
editor_password="${2:-}"
[ -n "$out" ] || { echo "usage: $0 [--harbour] OUT.ldif [EDITOR_PASSWORD]" >&2; exit 2; }
cert="$here/tests/data/foreign/cert.der"
[ -s "$cert" ] || { echo "missing $cert" >&2; exit 1; }

base="dc=example,dc=com"
b64() { printf '%s' "$1" | base64 -w0; }

# A 1x1 grey baseline JPEG: JFIF header, a flat quantisation table, one-code Huffman tables
# for DC and AC, and a single block (DC difference 0, end of block).
jpeg() {
    printf '\xff\xd8'
    printf '\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00'
    printf '\xff\xdb\x00\x43\x00'
    printf '\x01%.0s' $(seq 64) # every quantiser 1
    printf '\xff\xc0\x00\x0b\x08\x00\x01\x00\x01\x01\x01\x11\x00'
    printf '\xff\xc4\x00\x14\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\xff\xc4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    printf '\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00'
    printf '\x3f'
    printf '\xff\xd9'
}

# person CN SN GIVEN INITIALS UID TITLE PHONE STREET [extra lines...]: an inetOrgPerson in
# ou=People named by its cn; the first extra line may be "rdn: <rdn>" to name it otherwise.
person() {
    local cn="$1" sn="$2" given="$3" initials="$4" uid="$5" title="$6" phone="$7" street="$8"
    shift 8
    local rdn
    rdn="cn=$cn"
    case "${1:-}" in
    "rdn: "*)
        rdn="${1#rdn: }"
        shift
        ;;
    esac
    cat <<EOF
dn: $rdn,ou=People,$base
objectClass: top
objectClass: person
objectClass: organizationalPerson
objectClass: inetOrgPerson
EOF
    # An attribute's values stay together: extra classes go with the others.
    local line
    for line in "$@"; do
        case "$line" in objectClass:*) printf '%s\n' "$line" ;; esac
    done
    cat <<EOF
cn: $cn
sn: $sn
givenName: $given
initials: $initials
uid: $uid
mail: $uid@example.com
telephoneNumber: $phone
title: $title
postalAddress: $street \$ Port Ellis \$ EX1 4QT
description: $title at the harbour office
EOF
    for line in "$@"; do
        case "$line" in objectClass:*) ;; *) printf '%s\n' "$line" ;; esac
    done
    echo
}

example_tree() {
    cat <<EOF
dn: $base
objectClass: top
objectClass: dcObject
objectClass: organization
dc: example
o: Example Harbour Works
description: The harbour company of Port Ellis

dn: cn=editor,$base
objectClass: top
objectClass: person
objectClass: organizationalPerson
objectClass: inetOrgPerson
cn: editor
sn: Editor
description: May change the dc=example,dc=com tree
EOF
    [ -z "$editor_password" ] || echo "userPassword: $editor_password"
    echo

    cat <<EOF
dn: ou=People,$base
objectClass: top
objectClass: organizationalUnit
ou: People
description: Office and harbour people

EOF
    # Twenty inetOrgPersons, among them the odd names and the binary values.
    person "Ann Lee" Lee Ann AL alee "Harbour Pilot" "+1 555 0101" "1 Quay Street" \
        "rdn: cn=Ann Lee+employeeNumber=4711" "employeeNumber: 4711"
    person "Tomas Brand" Brand Tomas TB tbrand "Crane Operator" "+1 555 0102" "2 Quay Street" \
        "rdn: cn=Tomas Brand+uid=tbrand"
    person "Smith, Jo" Smith Jo JS jsmith "Berth Planner" "+1 555 0103" "3 Quay Street" \
        "rdn: cn=Smith\\, Jo"
    person "J. R. Oakes" Oakes "John Robert" JRO jroakes "Surveyor" "+1 555 0104" "4 Quay Street"
    # Non-ASCII in the name: values that are not plain ASCII go base64 in LDIF.
    local zoe="Zoë Ångström"
    cat <<EOF
dn:: $(b64 "cn=$zoe,ou=People,$base")
objectClass: top
objectClass: person
objectClass: organizationalPerson
objectClass: inetOrgPerson
cn:: $(b64 "$zoe")
sn:: $(b64 "Ångström")
givenName:: $(b64 "Zoë")
initials: ZA
uid: zangstrom
mail: zangstrom@example.com
telephoneNumber: +1 555 0105
title: Pilot Trainee
postalAddress:: $(b64 "5 Quay Street \$ Port Ellis \$ EX1 4QT")
description:: $(b64 "Pilot trainee from Malmö")

EOF
    person "Priya Nandakumar" Nandakumar Priya PN pnandakumar "Photographer" "+1 555 0106" \
        "6 Quay Street" "jpegPhoto:: $(jpeg | base64 -w0)"
    person "Owen Marsh" Marsh Owen OM omarsh "Security Officer" "+1 555 0107" "7 Quay Street" \
        "userCertificate;binary:: $(base64 -w0 "$cert")"
    person "Ilse Vogt" Vogt Ilse IV ivogt "Customs Liaison" "+1 555 0108" "8 Quay Street" \
        "description;lang-de:: $(b64 "Zollverbindung für den Hafen")"
    person "Malik Osei" Osei Malik MO mosei "Dock Foreman" "+1 555 0109" "9 Quay Street"
    person "Rosa Delgado" Delgado Rosa RD rdelgado "Harbour Master" "+1 555 0110" "10 Quay Street"
    person "Henrik Sol" Sol Henrik HS hsol "Tug Captain" "+1 555 0111" "11 Quay Street"
    person "Fen Wu" Wu Fen FW fwu "Ship Chandler" "+1 555 0112" "12 Quay Street"
    person "Clara Bright" Bright Clara CB cbright "Lock Keeper" "+1 555 0113" "13 Quay Street"
    person "Dmitri Volk" Volk Dmitri DV dvolk "Rigger" "+1 555 0114" "14 Quay Street"
    person "Aisha Karim" Karim Aisha AK akarim "Pilot" "+1 555 0115" "15 Quay Street"
    person "Bram de Wit" "de Wit" Bram BW bdewit "Diver" "+1 555 0116" "16 Quay Street"
    person "Nell Harper" Harper Nell NH nharper "Clerk" "+1 555 0117" "17 Quay Street"
    person "Lena Ferris" Ferris Lena LF lferris "Ferry Purser" "+1 555 0118" "18 Quay Street"
    person "Yusuf Demir" Demir Yusuf YD ydemir "Welder" "+1 555 0119" "19 Quay Street"
    # The one posixAccount, named by its uid as login accounts are.
    person "Kofi Mensah" Mensah Kofi KM kmensah "Systems Keeper" "+1 555 0120" "20 Quay Street" \
        "rdn: uid=kmensah" "objectClass: posixAccount" "uidNumber: 10020" "gidNumber: 5001" \
        "homeDirectory: /home/kmensah" "loginShell: /bin/bash" "gecos: Kofi Mensah"
    cat <<EOF
dn: cn=Morgan Tide,ou=People,$base
objectClass: top
objectClass: person
cn: Morgan Tide
sn: Tide
telephoneNumber: +1 555 0121
description: A plain person

dn: cn=Ellis Fathom,ou=People,$base
objectClass: top
objectClass: person
objectClass: organizationalPerson
cn: Ellis Fathom
sn: Fathom
title: Night Watch
ou: People
l: Quayside
postalAddress: Watch House \$ Port Ellis
description: An organizationalPerson

dn: ou=Groups,$base
objectClass: top
objectClass: organizationalUnit
ou: Groups

dn: cn=Harbour Pilots,ou=Groups,$base
objectClass: top
objectClass: groupOfNames
cn: Harbour Pilots
description: Licensed pilots
member: cn=Ann Lee+employeeNumber=4711,ou=People,$base
member: cn=Aisha Karim,ou=People,$base
member:: $(b64 "cn=$zoe,ou=People,$base")

dn: cn=Night Shift,ou=Groups,$base
objectClass: top
objectClass: groupOfNames
cn: Night Shift
member: cn=Smith\\, Jo,ou=People,$base
member: cn=J. R. Oakes,ou=People,$base
member: uid=s0001,ou=Staff,$base
member: uid=s0002,ou=Staff,$base

dn: cn=R\\+D Lab,ou=Groups,$base
objectClass: top
objectClass: groupOfNames
cn: R+D Lab
member: cn=Fen Wu,ou=People,$base

dn: cn=dockers,ou=Groups,$base
objectClass: top
objectClass: posixGroup
cn: dockers
gidNumber: 5001
memberUid: kmensah
memberUid: mosei

dn: cn=pilots,ou=Groups,$base
objectClass: top
objectClass: posixGroup
cn: pilots
gidNumber: 5002
memberUid: alee
memberUid: akarim

dn: l=Quayside,$base
objectClass: top
objectClass: locality
l: Quayside
st: Ellis County
street: Quay Street
description: The old quay

dn: cn=Harbour Master,l=Quayside,$base
objectClass: top
objectClass: organizationalRole
cn: Harbour Master
roleOccupant: cn=Rosa Delgado,ou=People,$base
telephoneNumber: +1 555 0199
description: On call day and night

dn: cn=Tide Gauge 3,l=Quayside,$base
objectClass: top
objectClass: device
cn: Tide Gauge 3
serialNumber: TG-0003
l: Quayside
owner: cn=Harbour Master,l=Quayside,$base
description: Pier head gauge

dn: ou=Elsewhere,$base
objectClass: top
objectClass: referral
objectClass: extensibleObject
ou: Elsewhere
ref: ldap://127.0.0.1:1/ou=Elsewhere,$base

dn: ou=Staff,$base
objectClass: top
objectClass: organizationalUnit
ou: Staff
description: More people than a search may return at once

dn: ou=Former Staff,$base
objectClass: top
objectClass: alias
objectClass: extensibleObject
ou: Former Staff
aliasedObjectName: ou=Staff,$base

EOF
    # The staff: 1,200 people, names cycled from two lists.
    awk -v base="$base" 'BEGIN {
        ng = split("Ada Ben Cora Dev Eli Faye Gus Hana Ivo Jun Kai Lia Max Nia Oli Pia Quin Rae Sam Tia", given, " ")
        nf = split("Archer Baker Carver Dyer Fisher Glover Hunter Joiner Mason Potter Roper Sawyer Tanner Weaver Wright Cooper Fletcher Miller Turner Slater Thatcher Webb Ward", family, " ")
        for (i = 1; i <= 1200; i++) {
            id = sprintf("s%04d", i)
            g = given[(i - 1) % ng + 1]
            f = family[int((i - 1) / ng) % nf + 1]
            printf "dn: uid=%s,ou=Staff,%s\n", id, base
            printf "objectClass: top\nobjectClass: person\nobjectClass: organizationalPerson\nobjectClass: inetOrgPerson\n"
            printf "uid: %s\ncn: %s %s\nsn: %s\ngivenName: %s\n", id, g, f, f, g
            printf "employeeNumber: %d\n", 10000 + i
            printf "mail: %s@example.com\ntelephoneNumber: +1 555 %04d\n", id, i
            printf "departmentNumber: %d\n\n", (i - 1) % 12 + 1
        }
    }'
}

harbour_tree() {
    local org="o=Harbour Lights"
    cat <<EOF
dn: $org
objectClass: top
objectClass: organization
o: Harbour Lights
description: The lighthouse trust of Port Ellis

dn: ou=Keepers,$org
objectClass: top
objectClass: organizationalUnit
ou: Keepers

dn: cn=Agnes Lamb,ou=Keepers,$org
objectClass: top
objectClass: person
objectClass: organizationalPerson
objectClass: inetOrgPerson
cn: Agnes Lamb
sn: Lamb
givenName: Agnes
mail: alamb@harbour-lights.example.com
title: Head Keeper

dn: cn=Silas Crowe,ou=Keepers,$org
objectClass: top
objectClass: person
objectClass: organizationalPerson
objectClass: inetOrgPerson
cn: Silas Crowe
sn: Crowe
givenName: Silas
title: Relief Keeper

dn: ou=Lamps,$org
objectClass: top
objectClass: organizationalUnit
ou: Lamps

dn: cn=North Light,ou=Lamps,$org
objectClass: top
objectClass: device
cn: North Light
serialNumber: NL-1
description: Flashes white every ten seconds

dn: cn=Breakwater Light,ou=Lamps,$org
objectClass: top
objectClass: device
cn: Breakwater Light
serialNumber: BL-2
description: Fixed red

EOF
}

mkdir -p "$(dirname "$out")"
if [ "$tree" = harbour ]; then
    harbour_tree >"$out"
else
    example_tree >"$out"
fi
