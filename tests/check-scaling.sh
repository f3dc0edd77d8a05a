#!/bin/sh
# The game on a virtual X server of 157 dpi at the scales that desktops give as Xft.dpi: its window
# in device pixels, and with Qt's scaling off and fonts at 144 dpi, as at 100 %. KUBRISK_EMULATOR,
# where set, runs the game.
#   check-scaling.sh GAME
set -eu
for tool in xvfb-run xrdb xwininfo; do
    command -v $tool >/dev/null || { echo "skipped: no $tool here"; exit 77; }
done
[ -n "${KUBRISK_CHECK_DISPLAY:-}" ] || KUBRISK_CHECK_DISPLAY=1 exec xvfb-run -a \
    -s "-screen 0 1280x1024x24 -noreset -dpi 157" sh "$0" "$@"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=$1 failed=0

. "$(dirname "$0")/../tools/lib/window.sh"
window_log=$work/log

# show XFT_DPI|- EXPECTED [VARIABLE=VALUE...]: the game's window size at that Xft.dpi in $size. A
# game that has ended by then showed its window only for a moment.
show() {
    [ "$1" = - ] || echo "Xft.dpi: $1" | xrdb -nocpp -merge
    expected=$2
    shift 2
    # shellcheck disable=SC2086
    window_show 30 env "$@" ${KUBRISK_EMULATOR:-} "$game"
    window_close
}

# A bare window manager sets no Xft.dpi: the monitor's 157 dpi is no scale that a user chose.
for case in "- 275x350" "96 275x350" "120 344x438" "144 413x525" "192 550x700" \
    "144 550x700 QT_SCALE_FACTOR_ROUNDING_POLICY=Round" \
    "144 275x350 QT_AUTO_SCREEN_SCALE_FACTOR=0 QT_ENABLE_HIGHDPI_SCALING=0"; do
    show $case
    [ "$size" = "$expected" ] || {
        echo "FAIL: scaling, Xft.dpi $case: $size after $waited s; the game's output:"
        cat "$work/log"
        failed=1
    }
done
[ $failed -eq 0 ] && echo "the window at each scale as expected"
