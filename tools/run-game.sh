#!/bin/sh
# Starts the game on the session's display: X11 where DISPLAY names one, Wayland where only
# WAYLAND_DISPLAY does. A display that cannot be opened gets one clear line instead of Qt's abort.
game=$1
fail() {
    echo "kubrisk: $*; start it from a desktop session." >&2
    exit 1
}

if [ -n "$QT_QPA_PLATFORM" ]; then
    exec "$game"
elif [ -n "$DISPLAY" ]; then
    xdpyinfo >/dev/null 2>&1 || fail "cannot open the X11 display \"$DISPLAY\""
    exec "$game"
elif [ -n "$WAYLAND_DISPLAY" ]; then
    case $WAYLAND_DISPLAY in
    /*) socket=$WAYLAND_DISPLAY ;;
    *) socket=$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ;;
    esac
    [ -S "$socket" ] || fail "cannot open the Wayland display \"$WAYLAND_DISPLAY\""
    exec env QT_QPA_PLATFORM=wayland "$game"
fi
fail "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)"
