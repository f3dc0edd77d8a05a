#!/bin/sh
# The game on a terminal: one line and status 1, never Qt's abort, where it has no display to
# open, and its version without any display. KUBRISK_EMULATOR, where set, runs the game.
game=$1
failed=0
# expect STATUS OUTPUT [VARIABLE=VALUE] [ARGUMENT]: the game with no display but one given here.
expect() {
    # shellcheck disable=SC2086
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${3:+"$3"} \
        ${KUBRISK_EMULATOR:-} "$game" ${4:+"$4"} 2>&1)
    got=$?
    [ $got -eq "$1" ] && [ "$output" = "$2" ] \
        || { echo "FAIL: $3 kubrisk $4 gave status $got and: $output"; failed=1; }
}

advice="; start it from a desktop session."
expect 1 "kubrisk: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)$advice"
expect 1 "kubrisk: cannot open the X11 display \":98\"$advice" DISPLAY=:98
expect 1 "kubrisk: cannot open the Wayland display \"none\"$advice" WAYLAND_DISPLAY=none
expect 0 "kubrisk $2" "" --version
[ $failed -eq 0 ] && echo "no display, a dead display and --version: one line each, as expected"
