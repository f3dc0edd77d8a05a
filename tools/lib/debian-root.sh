# A minimal Debian root made with debootstrap, for the scripts that run commands in one. They
# source this file after setting `root` (the root's folder), `release`, `downloads` (the folder
# that keeps the packages for the next root) and `checkout`. Needs root on a Debian system.

# Mount points under the root, deepest first.
root_mounts() {
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
    for mount in $(root_mounts); do
        umount "$mount" 2>/dev/null || umount -l "$mount"
    done
    if [ -n "$(root_mounts)" ]; then
        echo "still mounted under $root, not removing it:" $(root_mounts) >&2
        return 1
    fi
}

# Makes the root anew, only after everything once mounted in it has been released.
make_root() {
    sh "$checkout/tools/install-packages.sh" debootstrap
    release_root
    rm -rf "$root"
    mkdir -p "$downloads/debootstrap-$release" "$downloads/apt-$release" "$root"
    mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources \
        2>/dev/null | head -n 1)
    # An older debootstrap knows no script for the next release yet; testing is made as sid is.
    script=/usr/share/debootstrap/scripts/$release
    [ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
    debootstrap --variant=minbase --cache-dir="$downloads/debootstrap-$release" "$release" \
        "$root" "${mirror:-http://deb.debian.org/debian}" "$script"
    # A mirror may serve a snapshot of testing whose Release file is past its Valid-Until date;
    # the throw-away root takes it all the same.
    echo 'Acquire::Check-Valid-Until "false";' > "$root/etc/apt/apt.conf.d/99snapshot"
}

# outside_checkout WHAT: refuses a root in the checkout, which the root would then hold itself.
outside_checkout() {
    case $downloads/ in
    "$checkout"/*) echo "$1 keeps its root out of the checkout: $downloads" >&2; exit 1 ;;
    esac
}

# Makes a throw-away root for WHAT and mounts it, after checking that it runs as root and that the
# root lies outside the checkout; whatever is mounted is released when the script ends, also
# after a failure.
fresh_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "$1 needs root: it runs debootstrap and chroot" >&2
        exit 1
    fi
    outside_checkout "$1"
    trap 'release_root' EXIT
    trap 'exit 130' INT TERM
    make_root
    mount_root
}

# The kernel's file systems and the package downloads, for a run inside the root.
mount_root() {
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount --bind "$downloads/apt-$release" "$root/var/cache/apt/archives"
}

# Runs a command inside the root as root, with a clean environment but for VARIABLE=VALUE
# arguments given before it.
inside() {
    chroot "$root" env -i HOME=/root LANG=C.UTF-8 CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive "$@"
}

# apt-get inside the root, waiting for apt's locks as tools/apt-get.sh does here.
inside_apt() {
    inside sh -c "$(cat "$checkout/tools/apt-get.sh")" apt-get.sh "$@"
}
