# Waits for the game's window on an X display, for the scripts that source this file: the checks
# of the build, of the packages and of the Windows program.

# window_show SECONDS COMMAND [ARGUMENT...]: starts the game through COMMAND in the background,
# its output in the file $window_log, and waits up to SECONDS until its window "Kubrisk" is
# mapped and keeps its size. Sets $size to WIDTHxHEIGHT, or none, and $waited to the seconds
# waited; the game runs on, if it has not ended, until window_close. Its other variables begin
# with window_.
window_show() {
    window_wait=$(($1 * 10))
    shift
    "$@" > "$window_log" 2>&1 &
    window_pid=$! size=none window_last='' window_start=$(date +%s)
    while [ $window_wait -gt 0 ]; do
        window_wait=$((window_wait - 1))
        sleep 0.1
        kill -0 $window_pid 2> /dev/null || break
        window_info=$(xwininfo -name Kubrisk 2>/dev/null) || continue
        echo "$window_info" | grep -q 'Map State: IsViewable' || continue
        size=$(echo "$window_info" | sed -n 's/^ *\(Width\|Height\): //p' | paste -sd x)
        [ "$size" = "$window_last" ] && break
        window_last=$size
    done
    waited=$(($(date +%s) - window_start))
}

# window_close: ends the game, or adds to $size that it had ended by itself.
window_close() {
    if kill $window_pid 2> /dev/null; then
        wait $window_pid 2> /dev/null || true
    else
        size="$size, then the game ended"
    fi
}
