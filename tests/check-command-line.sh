#!/bin/sh
# The game on a terminal: one line and status 1, never Qt's abort, where it has no display to
# open, and its version without any display.
game=$1
failed=0
# expect STATUS OUTPUT [VARIABLE=VALUE...] GAME [ARGUMENT...], with no display but one given here.
expect() {
    status=$1 expected=$2
    shift 2
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>&1)
    got=$?
    [ $got -eq "$status" ] && [ "$output" = "$expected" ] \
        || { echo "FAIL: $* gave status $got and: $output"; failed=1; }
}

advice="; start it from a desktop session."
expect 1 "kubrisk: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)$advice" "$game"
expect 1 "kubrisk: cannot open the X11 display \":98\"$advice" DISPLAY=:98 "$game"
expect 1 "kubrisk: cannot open the Wayland display \"none\"$advice" WAYLAND_DISPLAY=none "$game"
expect 0 "kubrisk $2" "$game" --version
[ $failed -eq 0 ] && echo "no display, a dead display and --version: one line each, as expected"
