#!/bin/sh
# Tries the README as a new user would: makes a fresh minimal Debian root with debootstrap, adds
# only git and make, clones this checkout's current commit into it and runs the given commands
# there as root. Needs root on a Debian system.
#   fresh-debian.sh RELEASE FOLDER COMMANDS
# The root is FOLDER/RELEASE; downloads stay in FOLDER for the next run. Whatever was mounted is
# unmounted when the run ends, also when a step fails, and the root is removed after a success.
set -eu
release=$1
folder=$(realpath -m "$2")
commands=$3
checkout=$(git rev-parse --show-toplevel)
root=$folder/$release

if [ "$(id -u)" -ne 0 ]; then
    echo "make fresh needs root: it runs debootstrap and chroot" >&2
    exit 1
fi
case $folder/ in
"$checkout"/*) echo "make fresh keeps its root out of the checkout: $folder" >&2; exit 1 ;;
esac

# Mount points under the root, deepest first.
mounts() {
    awk -v root="$root/" 'index($2 "/", root) == 1 { print $2 }' /proc/mounts | sort -r
}

# A process left running inside the root (gpg-agent, a test's X server) keeps its mounts busy.
release_root() {
    for link in /proc/[0-9]*/root; do
        if [ "$(readlink "$link" 2>/dev/null)" = "$root" ]; then
            pid=${link#/proc/}
            kill -9 "${pid%/root}" 2>/dev/null || true
        fi
    done
    for mount in $(mounts); do
        umount "$mount" 2>/dev/null || umount -l "$mount"
    done
    if [ -n "$(mounts)" ]; then
        echo "still mounted under $root, not removing it:" $(mounts) >&2
        return 1
    fi
}

trap 'release_root' EXIT
trap 'exit 130' INT TERM

sh "$checkout/tools/install-packages.sh" debootstrap
release_root
rm -rf "$root"
mkdir -p "$folder/debootstrap-$release" "$folder/apt-$release" "$root"

mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null \
    | head -n 1)
# An older debootstrap knows no script for the next release yet; testing is made as sid is.
script=/usr/share/debootstrap/scripts/$release
[ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
debootstrap --variant=minbase --cache-dir="$folder/debootstrap-$release" "$release" "$root" \
    "${mirror:-http://deb.debian.org/debian}" "$script"

cp /etc/resolv.conf "$root/etc/resolv.conf"
# A mirror may serve a snapshot of testing whose Release file is past its Valid-Until date; the
# throw-away root takes it all the same.
echo 'Acquire::Check-Valid-Until "false";' > "$root/etc/apt/apt.conf.d/99snapshot"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount --bind "$folder/apt-$release" "$root/var/cache/apt/archives"

inside() {
    chroot "$root" env -i HOME=/root LANG=C.UTF-8 CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive "$@"
}
inside apt-get update -q
inside apt-get install -y -q --no-install-recommends git make
git clone -q --no-hardlinks "$checkout" "$root/root/kubrisk"
git -C "$root/root/kubrisk" checkout -q "$(git -C "$checkout" rev-parse HEAD)"

echo "fresh Debian $(cat "$root/etc/debian_version") root at $root, commit" \
    "$(git -C "$root/root/kubrisk" log -1 --format=%h): $commands"
inside sh -c "cd /root/kubrisk && $commands"

release_root
rm -rf "$root"
echo "passed in a fresh Debian $release root: $commands"
