#!/bin/sh
# The game on a virtual X server of 157 dpi at the scales that desktops give as Xft.dpi: its window
# in device pixels, and with Qt's scaling off and fonts at 144 dpi, the board's side as at 100 %.
#   check-scaling.sh GAME
set -eu
for tool in xvfb-run xrdb xwininfo xwd; do
    command -v $tool >/dev/null || { echo "skipped: no $tool here"; exit 77; }
done
if [ -z "${KUBRISK_CHECK_DISPLAY:-}" ]; then
    KUBRISK_CHECK_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset -dpi 157" \
        sh "$0" "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# show XFT_DPI|- [VARIABLE=VALUE...] starts the game, waits until its window looks the same twice,
# keeps its size in $size and in $work/board the 178 columns left of the label and the button.
show() {
    [ "$1" = - ] || echo "Xft.dpi: $1" | xrdb -nocpp -merge
    shift
    env "$@" "$game" > "$work/log" 2>&1 &
    rm -f "$work/board"
    size=none
    for i in $(seq 100); do
        sleep 0.1
        info=$(xwininfo -name Kubrisk 2>/dev/null) || continue
        size=$(echo "$info" | sed -n 's/^ *\(Width\|Height\): //p' | paste -sd x)
        # The header's length, the bytes of a row and the colour count; then 4 bytes a pixel.
        xwd -silent -id "$(echo "$info" | sed -n 's/.*Window id: \([^ ]*\).*/\1/p')" \
            | perl -0777 -ne '($h, $l, $c) = unpack "N x44 N x24 N";
                for $y (0 .. 349) { print substr($_, $h + 12 * $c + $l * $y, 712) }' > "$work/now"
        cmp -s "$work/now" "$work/board" 2>/dev/null && break
        mv "$work/now" "$work/board"
    done
    kill $! && wait $! 2>/dev/null || true
}

game=$1
# A bare window manager sets no Xft.dpi: the monitor's 157 dpi is no scale that a user chose.
for case in "- 275x350" "96 275x350" "120 344x438" "144 413x525" "192 550x700" \
    "144 550x700 QT_SCALE_FACTOR_ROUNDING_POLICY=Round"; do
    set -- $case
    show "$1" ${3:-}
    [ "$size" = "$2" ] || { echo "FAIL: Xft.dpi $case: $size $(cat "$work/log")"; failed=1; }
done
show 96 && mv "$work/board" "$work/at100"
show 144 QT_AUTO_SCREEN_SCALE_FACTOR=0 QT_ENABLE_HIGHDPI_SCALING=0
[ "$size" = 275x350 ] && [ -s "$work/at100" ] && cmp -s "$work/board" "$work/at100" \
    || { echo "FAIL: scaling off, fonts at 144 dpi: window $size, the board's side changed"
        failed=1; }
[ $failed -eq 0 ] && echo "the window at each scale as expected, the board untouched by large fonts"
