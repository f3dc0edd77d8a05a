#!/bin/sh
# The game on a virtual X server of 157 dpi at the scales that desktops give as Xft.dpi: its window
# in device pixels, and with Qt's scaling off and fonts at 144 dpi, the board's side as at 100 %.
#   check-scaling.sh GAME
set -eu
for tool in xvfb-run xrdb xwininfo xwd; do
    command -v $tool >/dev/null || { echo "skipped: no $tool here"; exit 77; }
done
[ -n "${KUBRISK_CHECK_DISPLAY:-}" ] || KUBRISK_CHECK_DISPLAY=1 exec xvfb-run -a \
    -s "-screen 0 1280x1024x24 -noreset -dpi 157" sh "$0" "$@"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=$1 failed=0

# show XFT_DPI|- EXPECTED [VARIABLE=VALUE...] starts the game and waits until its window looks the
# same twice: its size goes to $size, the 178 columns left of the texts to $work/board.
show() {
    [ "$1" = - ] || echo "Xft.dpi: $1" | xrdb -nocpp -merge
    expected=$2
    shift 2
    env "$@" "$game" > "$work/log" 2>&1 &
    rm -f "$work/board" && size=none
    for i in $(seq 100); do
        sleep 0.1
        # X refuses the image of a window not yet mapped.
        info=$(xwininfo -name Kubrisk 2>/dev/null) || continue
        echo "$info" | grep -q 'Map State: IsViewable' || continue
        size=$(echo "$info" | sed -n 's/^ *\(Width\|Height\): //p' | paste -sd x)
        # The header's length, the bytes of a row and the colour count; then 4 bytes a pixel.
        xwd -silent -id "$(echo "$info" | sed -n 's/.*Window id: \([^ ]*\).*/\1/p')" \
            | perl -0777 -ne '($h, $l, $c) = unpack "N x44 N x24 N";
                for $y (0 .. 349) { print substr($_, $h + 12 * $c + $l * $y, 712) }' > "$work/now" \
            || continue
        cmp -s "$work/now" "$work/board" 2>/dev/null && break
        mv "$work/now" "$work/board"
    done
    kill $! && wait $! 2>/dev/null || true
}

# A bare window manager sets no Xft.dpi: the monitor's 157 dpi is no scale that a user chose.
for case in "- 275x350" "96 275x350" "120 344x438" "144 413x525" "192 550x700" \
    "144 550x700 QT_SCALE_FACTOR_ROUNDING_POLICY=Round" \
    "144 275x350 QT_AUTO_SCREEN_SCALE_FACTOR=0 QT_ENABLE_HIGHDPI_SCALING=0"; do
    show $case
    [ "$size" = "$expected" ] || { echo "FAIL: Xft.dpi $case: $size $(cat "$work/log")"; failed=1; }
    [ "$case" != "96 275x350" ] || mv "$work/board" "$work/at100"
done
# The last case, scaling off with fonts at 144 dpi, leaves the board's side as it is at 100 %.
[ -s "$work/at100" ] && cmp -s "$work/board" "$work/at100" \
    || { echo "FAIL: with scaling off and fonts at 144 dpi, the board's side differs"; failed=1; }
[ $failed -eq 0 ] && echo "the window at each scale as expected, the board untouched by large fonts"
