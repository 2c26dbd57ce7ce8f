#!/usr/bin/env bash
# Builds the Debian package, validates its desktop entry and metainfo, installs it with apt
# (which brings its declared dependencies), checks that every file is where the desktop looks
# for it, runs the installed program on its installed demo data without a display, and
# removes the package again. Needs root (or sudo) and a machine without ostrel installed.
set -euo pipefail
cd "$(dirname "$0")/../.."
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
fail() {
    echo "test_package: $*" >&2
    exit 1
}
# A PNG file's width and height, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" \
        $5*16777216 + $6*65536 + $7*256 + $8 }'
}
if dpkg-query -W -f='${Status}' ostrel 2>/dev/null | grep -q "install ok installed"; then
    fail "ostrel is installed already; remove it first (apt-get remove ostrel)"
fi

bash scripts/package.sh >/dev/null
debs=(build/package/ostrel_*.deb)
[ "${#debs[@]}" -eq 1 ] || fail "expected one package, found: ${debs[*]}"
deb="${debs[0]}"
version="$(dpkg-deb -f "$deb" Version)"
[ "$deb" = "build/package/ostrel_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "$deb is not named ostrel_<version>_<arch>.deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for library in libqt6widgets6 libqt6keychain1 libldap; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done

# The desktop entry and the metainfo as the package ships them; both are named by the
# program's desktop id, and so is its icon.
content="$(mktemp -d)"
trap 'rm -rf "$content"' EXIT
dpkg-deb -x "$deb" "$content"
entries=("$content"/usr/share/applications/*.desktop)
[ "${#entries[@]}" -eq 1 ] && [ -f "${entries[0]}" ] || fail "expected one desktop entry"
id="$(basename "${entries[0]}" .desktop)"
desktop-file-validate "${entries[0]}"
appstreamcli validate --no-net "$content/usr/share/metainfo/$id.metainfo.xml"
grep -qx "Icon=$id" "${entries[0]}" || fail "the desktop entry's icon is not $id"
grep -qx "Exec=ostrel" "${entries[0]}" || fail "the desktop entry does not run ostrel"

trap 'rm -rf "$content"; "${sudo_cmd[@]}" apt-get remove -y -qq ostrel >/dev/null' EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "./$deb" >/dev/null
for file in /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/ostrel/data/directory.conf; do
    [ -f "$file" ] || fail "$file is missing"
done
[ "$(command -v ostrel)" = /usr/bin/ostrel ] || fail "ostrel is not /usr/bin/ostrel"
for size in 16 22 24 32 48 64 128 256; do
    icon="/usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    [ -f "$icon" ] || fail "$icon is missing"
    [ "$(png_size "$icon")" = "${size}x$size" ] || fail "$icon is not $size pixels"
done

# The installed program on the installed demo data, from a folder unrelated to the build.
[ "$(cd / && ostrel --version)" = "Ostrel $version" ] || fail "ostrel --version"
check="$(cd / && env -u OSTREL_CLIENT -u OSTREL_DATA -u OSTREL_IDENTITY \
    QT_QPA_PLATFORM=offscreen ostrel --check)" || fail "ostrel --check failed: $check"
echo "$check"
grep -qx "Data folder: /usr/share/ostrel/data" <<<"$check" || fail "not the installed data"
grep -qx "Tree: ACME_TREE" <<<"$check" || fail "not the demo tree"
grep -qx "  Acme (Organization)" <<<"$check" || fail "the demo tree's top was not listed"

"${sudo_cmd[@]}" apt-get remove -y -qq ostrel >/dev/null
trap 'rm -rf "$content"' EXIT
[ ! -e /usr/bin/ostrel ] || fail "/usr/bin/ostrel is left after removing the package"
echo "test_package: $deb built, validated, installed, run and removed"
