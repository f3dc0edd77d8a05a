#!/bin/sh
# Installs the build into a scratch folder and validates what a Linux desktop reads from it.
set -e
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
id=org.kubrisk.Kubrisk

DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
test -x "$root/usr/bin/kubrisk"
test -s "$root/usr/share/icons/hicolor/256x256/apps/$id.png"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
echo "installed and validated: $id"
