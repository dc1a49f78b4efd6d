#!/usr/bin/env bash
# Builds the Debian package, checks what it holds and runs lintian on it (any error or
# warning fails), installs it, starts the installed station offscreen on a demo laid out by
# the installed parvsetup, and removes the package again.
# Needs root (or sudo) for apt.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)

make package
deb=$(ls punchwell_*.deb)
echo "== $deb"

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/punchwell ./usr/bin/parvsetup \
    ./usr/lib/punchwell/qwcedit.exe ./usr/lib/punchwell/syncnwk.exe \
    ./usr/lib/punchwell/swupdate.exe ./usr/share/punchwell/templates/tclk00a.rpt \
    ./usr/share/punchwell/help/tclock0.txt ./usr/share/applications/punchwell.desktop \
    ./usr/share/doc/punchwell/examples/punchwell-autostart.desktop \
    ./usr/share/man/man1/punchwell.1.gz ./usr/share/man/man1/parvsetup.1.gz \
    ./usr/share/doc/punchwell/copyright ./usr/share/doc/punchwell/changelog.gz \
    ./usr/share/icons/hicolor/scalable/apps/punchwell.svg; do
    grep -q " $path\$" <<<"$contents" || { echo "missing from $deb: $path"; exit 1; }
done
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
grep -q libqt6widgets6 <<<"$depends" || { echo "no computed dependencies"; exit 1; }
recommends=$(dpkg-deb --field "$deb" Recommends)
echo "Recommends: $recommends"
grep -q libqt6sql6-psql <<<"$recommends" || { echo "the server driver is not recommended"; exit 1; }
grep -q '^Categories=Office;' packaging/punchwell.desktop

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"
version=$(dpkg-deb --field "$deb" Version)

remove() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq punchwell >/dev/null; }
tmp=$(mktemp -d)
trap 'remove; rm -rf "$tmp"' EXIT
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "./$deb" >/dev/null

(cd / && punchwell --help >/dev/null && parvsetup --help >/dev/null)
# One version: the package's is the one the programs and manual pages name.
for shown in "$(cd / && punchwell --version)" "$(cd / && parvsetup --version)" \
    "$(zcat /usr/share/man/man1/parvsetup.1.gz | head -n 1)"; do
    grep -qF "$version" <<<"$shown" || { echo "not version $version: $shown"; exit 1; }
done
parvsetup --demo "$tmp" >"$tmp/setup.log"
for file in data/tclk00a.rpt data/EMP.MDB station/parvnode.ini station/tclock0.txt; do
    [ -s "$tmp/$file" ] || { echo "parvsetup left out $file"; exit 1; }
done
# The station folder's programs and help texts are the installed ones, so upgrades reach it.
for file in qwcedit.exe syncnwk.exe swupdate.exe; do
    [ "$(readlink -f "$tmp/station/$file")" = /usr/lib/punchwell/$file ] ||
        { echo "station/$file is not the installed one"; exit 1; }
done
[ "$(readlink -f "$tmp/station/tclock0.txt")" = /usr/share/punchwell/help/tclock0.txt ] ||
    { echo "station/tclock0.txt is not the installed one"; exit 1; }
file -L "$tmp/station/qwcedit.exe" | grep -q ELF || { echo "qwcedit.exe is not the viewer"; exit 1; }

# The station must still be running when timeout stops it (exit 124), past its start-up:
# the running marker is written last.
status=0
(cd "$tmp/station" && QT_QPA_PLATFORM=offscreen timeout 5 punchwell) || status=$?
if [ "$status" != 124 ] || [ ! -s "$tmp/station/punchwell.run" ]; then
    echo "the installed station did not come up (status $status)"
    exit 1
fi
echo "package check passed"
