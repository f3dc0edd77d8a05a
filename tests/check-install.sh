#!/bin/sh
# Installs the build into a scratch folder, validates what a Linux desktop reads from it, and
# checks that the running window's X11 class is the one the menu entry names.
set -e
for tool in desktop-file-validate appstreamcli xvfb-run xprop; do
    command -v $tool >/dev/null || { echo "skipped: no $tool here"; exit 77; }
done
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
id=org.kubrisk.Kubrisk
entry=$root/usr/share/applications/$id.desktop

DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
test -s "$root/usr/share/icons/hicolor/256x256/apps/$id.png"
desktop-file-validate "$entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
game=$(find "$root/usr" -type f -name "$(basename "$(sed -n 's/^Exec=//p' "$entry")")")
expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
class=$(QT_QPA_PLATFORM=xcb xvfb-run -a sh -c '"$1" & for i in $(seq 300); do
    xprop -name Kubrisk WM_CLASS && break; sleep 0.1; done; kill $!' sh "$game" 2>/dev/null)
test "$class" = "WM_CLASS(STRING) = \"kubrisk\", \"$expected\""
echo "installed and validated: $id, window class $expected"
