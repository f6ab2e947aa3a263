#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and checks it as a user would meet it: the
# programs run from their installed path, the desktop entry and the AppStream data validate, the desktop
# entry offers Tessely under "Open With" for vCard files and hands it the files, and the package depends on
# the libraries it links and nothing more.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

tessely_install_packages "${TESSELY_PACKAGES[@]}" dpkg-dev desktop-file-utils appstream
deb=$(./scripts/package.sh | tail -n 1)
root=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$root" "$work"' EXIT
dpkg-deb -x "$deb" "$root"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for unwanted in gtest gmock benchmark qt6-base-dev; do
    [[ $depends != *$unwanted* ]] || fail "the package depends on $unwanted"
done
if [ -x build/bin/tessely ]; then
    [[ $depends == *libqt6widgets6* ]] || fail "the package does not depend on the Qt 6 Widgets library"
    [ -x "$root/usr/bin/tessely" ] || fail "tessely is not installed"
    entry="$root/usr/share/applications/tessely.desktop"
    desktop-file-validate "$entry"
    grep -qx 'Exec=tessely %F' "$entry" || fail "the desktop entry does not hand tessely the files"
    grep -qx 'MimeType=text/vcard;text/x-vcard;text/directory;' "$entry" ||
        fail "the desktop entry does not offer Tessely for vCard files"
    appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvane.Tessely.metainfo.xml"
    for size in 16 24 32 48 256; do
        [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/tessely.png" ] || fail "icon ${size}x${size} missing"
    done
fi
[ -f "$root/usr/share/man/man1/tessely-cli.1.gz" ] || fail "the manual page is missing"

cli="$root/usr/bin/tessely-cli"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
[ "$("$cli" --version)" = "tessely $version" ] || fail "tessely-cli --version"
zcat "$root/usr/share/man/man1/tessely-cli.1.gz" | head -n 1 | grep -q -F "Tessely $version" ||
    fail "the manual page names another version"
cp examples/sample-contacts.vcf "$work/"
"$cli" split "$work/sample-contacts.vcf"
count=$(find "$work/Split-vCards" -name 'contact*.vcf' | wc -l)
[ "$count" -eq "$(grep -ci '^begin:vcard' examples/sample-contacts.vcf)" ] || fail "split gave $count files"
# The workbook export runs on the library the package depends on.
[[ $depends == *libxlsxwriter* ]] || fail "the package does not depend on the workbook library"
"$cli" export --format=xlsx "$work/sample-contacts.vcf" >/dev/null
/usr/bin/python3 -c 'import sys, openpyxl; sys.exit(openpyxl.load_workbook(sys.argv[1]).sheetnames != ["Contacts"])' \
    "$work/Split-vCards/Contacts_Export.xlsx" || fail "the workbook export wrote no workbook"
echo "check-package: $deb is sound"
