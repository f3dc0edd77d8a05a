#!/bin/sh
# Tries the README as a new user would: makes a fresh minimal Debian root with debootstrap, adds
# only git and make, clones this checkout's current commit into it and runs the given commands
# there as root. Needs root on a Debian system.
#   fresh-debian.sh RELEASE FOLDER COMMANDS
# The root is FOLDER/RELEASE; downloads stay in FOLDER for the next run. Whatever was mounted is
# unmounted when the run ends, also when a step fails, and the root is removed after a success.
set -eu
release=$1
downloads=$(realpath -m "$2")
commands=$3
checkout=$(git rev-parse --show-toplevel)
root=$downloads/$release

. "$checkout/tools/lib/debian-root.sh"
fresh_root "make fresh"
inside_apt update -q
inside_apt install -y -q --no-install-recommends git make
git clone -q --no-hardlinks "$checkout" "$root/root/kubrisk"
git -C "$root/root/kubrisk" checkout -q "$(git -C "$checkout" rev-parse HEAD)"

echo "fresh Debian $(cat "$root/etc/debian_version") root at $root, commit" \
    "$(git -C "$root/root/kubrisk" log -1 --format=%h): $commands"
inside sh -c "cd /root/kubrisk && $commands"

release_root
rm -rf "$root"
echo "passed in a fresh Debian $release root: $commands"
