#!/usr/bin/env bash
# Builds the two Debian packages from the default build, checks what they
# hold and depend on, installs them on this machine, tries the installed
# program, and removes them again.
#   scripts/check-packages.sh          (after scripts/test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
build=build/default
version=$(sed -n 's/^project(quimbo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
fail() { echo "FAIL: $*"; exit 1; }

echo "== cpack -G DEB"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB > /dev/null)
program="$build/quimbo_${version}_amd64.deb"
desktop="$build/quimbo-desktop_${version}_amd64.deb"
[ -f "$program" ] && [ -f "$desktop" ] || fail "the packages were not made: $(ls "$build"/*.deb)"

echo "== contents and dependencies"
has() { dpkg-deb -c "$1" | awk '{print $6}' | grep -qx "./usr/$2" || fail "$(basename "$1") lacks /usr/$2"; }
for f in bin/quimbo share/man/man1/quimbo.1.gz share/quimbo/machines/apple-silicon-laptop.machine \
  bin/quimbo-exporter share/man/man1/quimbo-exporter.1.gz lib/systemd/system/quimbo-exporter.service \
  share/quimbo/prometheus/quimbo-alerts.yml share/doc/quimbo/sensors.md share/doc/quimbo/security.md; do
  has "$program" "$f"
done
for f in lib/quimbo/quimbo-desktop.so share/quimbo/logo.png share/icons/hicolor/256x256/apps/quimbo.png \
  share/applications/quimbo.desktop share/quimbo/autostart/quimbo.desktop \
  share/metainfo/com.zelprin.quimbo.metainfo.xml; do
  has "$desktop" "$f"
done
dpkg-deb -c "$program" | grep -q "lib/quimbo" && fail "the quimbo package holds the desktop module"
depends=$(dpkg-deb -f "$program" Depends)
grep -qi "qt" <<< "$depends" && fail "quimbo depends on Qt: $depends"
grep -q "libncursesw6" <<< "$depends" || fail "quimbo's dependencies were not read off the binary: $depends"
grep -q "quimbo (= $version)" <<< "$(dpkg-deb -f "$desktop" Depends)" ||
  fail "quimbo-desktop does not depend on quimbo $version: $(dpkg-deb -f "$desktop" Depends)"

remove() { $sudo dpkg -r quimbo-desktop quimbo > /dev/null 2>&1 || true; }
trap remove EXIT
remove

echo "== quimbo alone: installed, documented, and the terminal where the desktop module is missing"
$sudo dpkg -i "$program" > /dev/null
[ "$(/usr/bin/quimbo --version)" = "quimbo $version" ] || fail "--version: $(/usr/bin/quimbo --version)"
[ "$(man -w quimbo)" = /usr/share/man/man1/quimbo.1.gz ] || fail "man -w quimbo: $(man -w quimbo)"
/usr/bin/python3 tests/e2e/terminal.py /usr/bin/quimbo /usr/share/quimbo/machines/apple-silicon-laptop.machine \
  "the desktop front end cannot be loaded"
echo "== quimbo-exporter: installed, its service not enabled, one pass written"
[ "$(man -w quimbo-exporter)" = /usr/share/man/man1/quimbo-exporter.1.gz ] || fail "no quimbo-exporter(1)"
[ -z "$(find /etc/systemd/system -name quimbo-exporter.service)" ] || fail "the service was enabled"
textfiles=$(mktemp -d)
QUIMBO_SMC_SIM=/usr/share/quimbo/machines/apple-silicon-laptop.machine \
  /usr/bin/quimbo-exporter --textfile-directory "$textfiles" --once
grep -q '^quimbo_smc_available 1$' "$textfiles/quimbo.prom" || fail "quimbo-exporter wrote no pass"
rm -rf "$textfiles"

echo "== quimbo-desktop: its entries and metadata are valid, and the program finds its module"
$sudo dpkg -i "$desktop" > /dev/null
desktop-file-validate /usr/share/applications/quimbo.desktop /usr/share/quimbo/autostart/quimbo.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.zelprin.quimbo.metainfo.xml > /dev/null ||
  fail "$(appstreamcli validate --no-net /usr/share/metainfo/com.zelprin.quimbo.metainfo.xml)"
out=$(DISPLAY=:9999 QUIMBO_FRONTEND=desktop /usr/bin/quimbo 2>&1 < /dev/null) &&
  fail "started on a display that does not exist"
grep -q "display cannot be reached" <<< "$out" || fail "the installed module did not run: $out"

echo "== removed again"
remove
[ ! -e /usr/bin/quimbo ] && [ ! -e /usr/lib/quimbo ] || fail "files left after removal"
echo "the packages are sound"
