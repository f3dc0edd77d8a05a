#!/bin/sh
# The game on a terminal: one line and a failure, never Qt's abort, where it has no display to
# open, and answers to --version and --help without any display.
game=$1
version=$2
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
failures=0

# expect STATUS LINES PATTERN [VARIABLE=VALUE...] GAME [ARGUMENTS...], LINES 0 for any number,
# with no display but one given here.
expect() {
    status=$1 lines=$2 pattern=$3
    shift 3
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" \
        "$@" 2>&1)
    got=$?
    count=$(echo "$output" | wc -l)
    if [ $got -ne "$status" ] || { [ "$lines" -gt 0 ] && [ "$count" -ne "$lines" ]; } \
        || ! echo "$output" | grep -q -- "$pattern"; then
        echo "FAIL: $* gave status $got (expected $status) and:"
        echo "$output"
        failures=$((failures + 1))
    fi
}

expect 1 1 '^kubrisk: no display found' "$game"
expect 1 1 '^kubrisk: cannot open the X11 display ":98"' DISPLAY=:98 "$game"
expect 1 1 '^kubrisk: cannot open the Wayland display "none"' WAYLAND_DISPLAY=none "$game"
expect 0 1 "^kubrisk $version\$" "$game" --version
expect 0 0 '^  -v, --version  *Displays version information' DISPLAY=:98 "$game" --help
[ $failures -eq 0 ] && echo "no display, a dead display, --version and --help: as expected"
