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
for page in man/man6 man/bg/man6; do
    sed -n 1p "$scratch/prefix/share/$page/kalvero.6" | grep -q "\"Kalvero $version\"" \
        || { echo "the manual page in $page is not of version $version"; exit 1; }
done
grep -q "<project_license>MIT</project_license>" "$scratch"/prefix/share/metainfo/bg.kalvero.Kalvero.metainfo.xml \
    || { echo "the metainfo does not say MIT"; exit 1; }
grep -q "^License: Expat" "$scratch/prefix/share/doc/kalvero/copyright" || { echo "no copyright file"; exit 1; }
grep -q "^Name\[bg\]=Kalvero за проектор$" "$scratch"/prefix/share/applications/bg.kalvero.Kalvero.desktop \
    || { echo "no projector action"; exit 1; }

echo "== beside an image viewer, Kalvero is offered and never made the default"
# The package sets no default: only mimeapps.list files do, the user's, an
# administrator's or a distribution's. Here a distribution's names the viewer.
viewer=display-im6.q16.desktop
apps=$scratch/data/applications
mkdir -p "$apps" "$scratch/config"
cp /usr/share/applications/$viewer "$scratch"/prefix/share/applications/bg.kalvero.Kalvero.desktop "$apps/"
printf '[Default Applications]\nimage/png=%s\nimage/jpeg=%s\n' $viewer $viewer >"$apps/mimeapps.list"
update-desktop-database "$apps"
! find "$scratch/prefix" -name '*mimeapps.list' | grep -q . || { echo "the package ships a mimeapps.list"; exit 1; }
for type in image/png image/jpeg; do
    gio=$(env PATH="$scratch/prefix/bin:$PATH" XDG_DATA_DIRS="$scratch/data" XDG_DATA_HOME="$scratch/data" \
              XDG_CONFIG_HOME="$scratch/config" XDG_CONFIG_DIRS="$scratch/config" gio mime $type)
    grep -q "^Default application for .*$viewer" <<<"$gio" && grep -q "bg.kalvero.Kalvero.desktop" <<<"$gio" \
        || { echo "GIO for $type: $gio"; exit 1; }
    default=$(env XDG_DATA_DIRS="$scratch/data" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
                  XDG_CONFIG_DIRS="$scratch/config" XDG_CURRENT_DESKTOP=X-Generic xdg-mime query default $type)
    [ "$default" = $viewer ] || { echo "xdg-mime takes $default for $type"; exit 1; }
done
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
for needed in fonts-liberation qt6-image-formats-plugins qt6-translations-l10n libjpeg62-turbo libqt6widgets6 libqt6gui6 libstdc++6; do
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
