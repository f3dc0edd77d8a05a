#!/bin/sh
# Installs the build under another prefix than the configured one, or unpacks the Debian package,
# which must depend on the font and on Qt, validates what a desktop reads from it, and checks that
# the menu entry starts the installed game and names its X11 class. KUBRISK_EMULATOR, where set,
# runs the game.
#   check-install.sh BUILD | PACKAGE.deb QT_LIBRARY
set -e
for tool in desktop-file-validate appstreamcli xvfb-run xprop xwininfo; do
    command -v $tool >/dev/null || { echo "skipped: no $tool here"; exit 77; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
id=org.kubrisk.Kubrisk
case $1 in
*.deb)
    dpkg-deb --field "$1" Depends | grep -F 'fonts-wqy-microhei | fonts-noto-cjk' | grep -qF "$2" \
        || { echo "$1 does not depend on the font and on $2"; exit 1; }
    prefix=/usr && dpkg-deb -x "$1" "$root" ;;
*) prefix=/opt/kubrisk-check && DESTDIR="$root" cmake --install "$1" --prefix $prefix > /dev/null ;;
esac
entry=$root$prefix/share/applications/$id.desktop
ls "$root$prefix"/share/man/man6/kubrisk.6* > /dev/null
# The icon in the sizes drawn from it and in the window's own of 256 pixels.
for size in $(ls "$(dirname "$0")/../resources/icons" | sed 's/\.png$//') 256; do
    icon=$root$prefix/share/icons/hicolor/${size}x$size/apps/$id.png # width, height at 16
    test "$(od -An -j16 -N8 -tx1 "$icon" | tr -d ' ')" = "$(printf %08x%08x "$size" "$size")"
done
desktop-file-validate "$entry"
appstreamcli validate --pedantic --no-net "$root$prefix/share/metainfo/$id.metainfo.xml"
game=$(sed -n 's/^Exec=//p' "$entry")
test -x "$root$game" || { echo "the entry starts $game, which was not installed"; exit 1; }
expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
# Without -noreset the server resets when a polling client disconnects, and a game that connects
# just then fails. The game must still run once its window is shown.
start=$(date +%s)
class=$(QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" sh -c '
    . "$1"
    window_log=$2
    window_show 30 ${KUBRISK_EMULATOR:-} "$3"
    xprop -name Kubrisk WM_CLASS 2> /dev/null
    window_close
    case $size in *ended) echo "then the game ended" ;; esac' sh \
    "$(dirname "$0")/../tools/lib/window.sh" "$root/log" "$root$game" 2>"$root/server.log") || true
test "$class" = "WM_CLASS(STRING) = \"kubrisk\", \"$expected\"" || {
    echo "FAIL: desktop_install, the entry's $game from $1: after $(($(date +%s) - start)) s," \
        "\"$class\" instead of the class $expected; the game's and the server's output:"
    cat "$root/log" "$root/server.log"
    exit 1
}
echo "installed in $prefix and validated: $id, its icons, window class $expected"
