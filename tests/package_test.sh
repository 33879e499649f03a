#!/usr/bin/env bash
# Installs Kalvero into a scratch prefix and validates what lands there; builds the
# Debian package, unpacks it (no install onto the machine), checks its dependencies,
# and starts the unpacked program to see the assembled picture on an X screen.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR SCREENCHECK VERSION
set -euo pipefail
build=$1 source=$2 screencheck=$3 version=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== install"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
(cd "$scratch/prefix" && find . -type f | sort)
desktop-file-validate "$scratch"/prefix/share/applications/bg.kalvero.Kalvero.desktop
appstreamcli validate --no-net "$scratch"/prefix/share/metainfo/bg.kalvero.Kalvero.metainfo.xml
grep -q "<release version=\"$version\"" "$scratch"/prefix/share/metainfo/bg.kalvero.Kalvero.metainfo.xml \
    || { echo "the metainfo's newest release is not $version"; exit 1; }
sed -n 1p "$scratch"/prefix/share/man/man6/kalvero.6 | grep -q "\"Kalvero $version\"" \
    || { echo "the manual page is not of version $version"; exit 1; }
for size in 32 48 64 128 256; do
    icon=$scratch/prefix/share/icons/hicolor/${size}x${size}/apps/bg.kalvero.Kalvero.png
    file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || { file "$icon"; exit 1; }
done

echo "== package"
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/kalvero_*.deb)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "the package's version is not $version"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in fonts-liberation qt6-image-formats-plugins libqt6widgets6 libqt6gui6 libstdc++6; do
    grep -q "$needed" <<<"$depends" || { echo "missing dependency: $needed"; exit 1; }
done
dpkg-deb -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/kalvero

echo "== the unpacked program"
# Offscreen it starts and keeps running until stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$program" || status=$?
[ "$status" -eq 124 ] || { echo "the unpacked program ended with $status under the offscreen platform"; exit 1; }
# On an X screen it shows the assembled picture.
xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash -c '
    env -u QT_QPA_PLATFORM "$1" & program=$!
    QT_QPA_PLATFORM=xcb "$2" "$3" 20; found=$?
    kill $program; wait $program 2>/dev/null
    exit $found' _ "$program" "$screencheck" "$source/resources/picture.jpg"
echo "the unpacked program shows the assembled picture"
