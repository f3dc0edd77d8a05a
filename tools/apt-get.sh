#!/bin/sh
# Runs apt-get with the given arguments, without questions, waiting while another apt holds its
# locks (a desktop often runs unattended-upgrades right after it boots): up to KUBRISK_APT_WAIT
# seconds, 300 by default, then it fails and names the process that holds them. Scripts run it in
# the kept and fresh roots too, as `sh -c "$(cat tools/apt-get.sh)" apt-get.sh ARGUMENT...`.
#   apt-get.sh ARGUMENT...
wait=${KUBRISK_APT_WAIT:-300}
deadline=$(($(date +%s) + wait))
log=$(mktemp)
trap 'rm -f "$log" "$log.status"' EXIT
while :; do
    left=$((deadline - $(date +%s)))
    [ $left -gt 0 ] || left=0
    # apt itself waits for dpkg's lock, but apt-get update does not wait for the package lists'.
    { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=$left "$@" 2>&1
        echo $? > "$log.status"; } | tee "$log"
    status=$(cat "$log.status")
    [ "$status" -ne 0 ] || exit 0
    held=$(sed -n 's/^E: \(Could not get lock .*\)/\1/p' "$log" | head -n 1)
    [ -n "$held" ] || exit "$status"
    if [ "$(date +%s)" -ge "$deadline" ]; then
        echo "apt-get $*: gave up after waiting $wait s for apt's lock. $held" >&2
        exit "$status"
    fi
    echo "apt-get $*: waiting for apt's lock. $held"
    sleep 2
done
