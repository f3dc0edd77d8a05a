#!/bin/sh
# tools/install-packages.sh while other processes hold apt's locks, as unattended-upgrades does
# after a desktop boots: it waits for the package lists' lock and for dpkg's, then goes on; where
# they stay held past its limit it fails and names the holder. Asks for a package that does not
# exist, so that nothing is installed. Needs root and python3 (for the locks apt takes).
set -u
[ "$(id -u)" -eq 0 ] && command -v python3 > /dev/null \
    || { echo "skipped: needs root and python3"; exit 77; }
tools=$(dirname "$0")/../tools
work=$(mktemp -d)
log=$work/log lists='' dpkg=''
trap 'kill $lists $dpkg 2> /dev/null; rm -rf "$work"' EXIT
failed=0

# hold LOCK SECONDS: a process that holds LOCK from now on for SECONDS, its id in $holder.
hold() {
    python3 -c 'import fcntl, sys, time
lock = open(sys.argv[1], "w")
fcntl.lockf(lock, fcntl.LOCK_EX)
print("held", flush=True)
time.sleep(float(sys.argv[2]))' "$@" > "$work/held" &
    holder=$!
    until [ -s "$work/held" ]; do sleep 0.1; done
    rm -f "$work/held"
}

# install WAIT: the install with KUBRISK_APT_WAIT=WAIT in the background, its output in $log.
install() {
    start=$(date +%s)
    KUBRISK_APT_WAIT=$1 sh "$tools/install-packages.sh" kubrisk-no-such-package > "$log" 2>&1 &
    installer=$!
}
finished() {
    wait $installer
    took=$(($(date +%s) - start))
}
fail() { echo "FAIL: apt_lock: $1"; cat "$log"; failed=1; }

# The lists' lock for 4 s; dpkg's until apt says that it waits for it.
hold /var/lib/apt/lists/lock 4 && lists=$holder
hold /var/lib/dpkg/lock-frontend 600 && dpkg=$holder
install 300
for _ in $(seq 600); do
    grep -q 'lock /var/lib/dpkg/lock-frontend' "$log" && break
    kill -0 $installer 2> /dev/null || break
    sleep 0.2
done
kill $dpkg
finished
[ $took -ge 4 ] && grep -q 'Unable to locate package kubrisk-no-such-package' "$log" \
    || fail "went on after $took s, not once the locks were free, to the install"
grep -q "lists/lock. It is held by process $lists (python3)" "$log" \
    && grep -q "lock-frontend. It is held by process $dpkg (python3)" "$log" \
    || fail "did not say for which lock it waited, held by which process"

hold /var/lib/apt/lists/lock 30 && lists=$holder
install 3
finished
grep -q "gave up after waiting 3 s for apt's lock.* held by process $lists (python3)" "$log" \
    && [ $took -lt 30 ] || fail "did not give up after 3 s, naming the holder, but after $took s"

[ $failed -eq 0 ] && echo "apt_lock: waited for both locks while held, gave up naming the holder"
exit $failed
