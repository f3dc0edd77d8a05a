#!/bin/sh
# Installs a package of another architecture as a player would: with apt, in a fresh minimal
# Debian 12 root that has the package's architecture beside its own (multiarch). Then the game
# must show its window at its own size on a virtual X server, through qemu-user, and removing the
# package with apt must leave nothing behind that installing it had brought. Needs root on a
# Debian system.
#   foreign-install.sh FOLDER PACKAGE.deb
# The root is FOLDER/bookworm-ARCH; downloads stay in FOLDER for the next run, as for make fresh.
set -eu
downloads=$(realpath -m "$1")
package=$(realpath "$2")
arch=$(dpkg-deb --field "$package" Architecture)
checkout=$(git rev-parse --show-toplevel)
release=bookworm
root=$downloads/$release-$arch

. "$checkout/tools/debian-root.sh"
fresh_root "installing a foreign package"
cp "$package" "$checkout/tools/qemu.sh" "$root/tmp"
inside dpkg --add-architecture "$arch"
inside_apt update -q
inside_apt install -y -q --no-install-recommends qemu-user xvfb xauth x11-utils

# Everything on the root's file system but what apt and dpkg keep of their own and the MIME
# database that shared-mime-info makes; and what the packages installed there own, with /bin,
# /sbin and /lib* found under /usr.
files() {
    inside find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run \
        -o -path /var/cache -o -path /var/lib/apt -o -path /var/lib/dpkg -o -path /var/log \
        -o -path /usr/share/mime \) \
        -prune -o -print | LC_ALL=C sort
}
owned() {
    cat "$root"/var/lib/dpkg/info/*.list | sed -E 's#^/(bin|sbin|lib[^/]*)(/|$)#/usr/\1\2#' \
        | LC_ALL=C sort -u
}
files > "$root/tmp/before"
inside_apt install -y -q --no-install-recommends "/tmp/${package##*/}"
inside xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" sh -c '
    start=$(date +%s)
    sh /tmp/qemu.sh "$1" /usr/games/kubrisk > /tmp/game.log 2>&1 &
    for i in $(seq 600); do
        info=$(xwininfo -name Kubrisk 2>/dev/null) && echo "$info" | grep -q IsViewable && break
        kill -0 $! 2> /dev/null || break
        sleep 0.1
    done
    size=$(echo "$info" | sed -n "s/^ *\(Width\|Height\): //p" | paste -sd x)
    kill $! 2> /dev/null || size="${size:-none}, then the game ended"
    [ "$size" = 275x350 ] || {
        echo "installing kubrisk:$1: the game showed no 275x350 window but ${size:-none}" \
            "after $(($(date +%s) - start)) s; its output:"
        cat /tmp/game.log
        exit 1
    }
    echo "the installed game shows its 275x350 window"' sh "$arch"
# apt keeps some of what the package brought, such as the architecture's C library: that is
# still another package's.
inside_apt purge -y -q --autoremove "kubrisk:$arch"
owned > "$root/tmp/owned"
files | LC_ALL=C comm -13 "$root/tmp/before" - | LC_ALL=C comm -23 - "$root/tmp/owned" \
    > "$root/tmp/left"
if [ -s "$root/tmp/left" ]; then
    echo "removing kubrisk:$arch left files that no package owns:" >&2
    cat "$root/tmp/left" >&2
    exit 1
fi

release_root
rm -rf "$root"
echo "installed, shown and removed without leftovers in a fresh Debian 12 root: kubrisk:$arch"
