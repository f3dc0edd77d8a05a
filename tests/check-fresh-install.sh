#!/bin/sh
# Installs a package as a player would: with apt, in a fresh minimal root of the Debian release
# that it is for, with the package's architecture beside this machine's own (multiarch) where they
# differ. Then the game must show its window at its own size on a virtual X server, through
# qemu-user for another architecture. On this machine's architecture the package's autopkgtest
# runs as well, and a Qt 6 package beyond Debian 12 must draw crisply at Wayland's fractional
# scales. Removing the package with apt must leave nothing behind that installing it had brought.
# Packages named after it must be refused there by apt, as Debian 12's 32-bit ARM packages are on
# Debian 13. Needs root on a Debian system.
#   check-fresh-install.sh RELEASE FOLDER PACKAGE.deb [REFUSED.deb...]
# The root is FOLDER/RELEASE-ARCH; downloads stay in FOLDER for the next run, as for make fresh.
set -eu
release=$1
downloads=$(realpath -m "$2")
package=$(realpath "$3")
shift 3
arch=$(dpkg-deb --field "$package" Architecture)
checkout=$(git rev-parse --show-toplevel)
root=$downloads/$release-$arch
# Another architecture's game runs under qemu-user; this machine's own runs its autopkgtest too.
if [ "$arch" = "$(dpkg --print-architecture)" ]; then
    emulated= tools="xvfb xauth x11-utils autopkgtest"
else
    emulated=yes tools="xvfb xauth x11-utils qemu-user"
fi
# Qt 6 follows fractional Wayland scales from Debian 13's 6.8 on; Qt 5 and Debian 12's 6.4 do not.
wayland=
if [ -z "$emulated" ] && [ "$release" != bookworm ] \
    && dpkg-deb --field "$package" Depends | grep -q libqt6; then
    wayland=yes tools="$tools sway grim python3"
fi

. "$checkout/tools/lib/debian-root.sh"
fresh_root "installing a package in a fresh root"
cp "$package" "$checkout/cross/qemu.sh" "$checkout/tests/check-wayland-scale.py" "$root/tmp"
# What the autopkgtest reads of the source.
mkdir -p "$root/tmp/source/tools" && cp -r "$checkout/debian" "$root/tmp/source"
cp -r "$checkout/tools/lib" "$root/tmp/source/tools"
[ -z "$emulated" ] || inside dpkg --add-architecture "$arch"
inside_apt update -q
inside_apt install -y -q --no-install-recommends $tools

for refused in "$@"; do
    mkdir -p "$root/tmp/refused"
    cp "$refused" "$root/tmp/refused/package.deb"
    if inside apt-get install -s -q "/tmp/refused/package.deb" > "$root/tmp/refused/log" 2>&1
    then
        echo "apt would install $refused on Debian $release:" >&2
        cat "$root/tmp/refused/log" >&2
        exit 1
    fi
    echo "apt refuses $refused on Debian $release: $(grep -m1 Depends "$root/tmp/refused/log")"
done

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
# With what it recommends, Qt's Wayland plugin, as apt installs by default; but not what that
# recommends in turn, which a desktop has.
recommended=$(dpkg-deb --field "$package" Recommends | tr -d ' ' | tr , '\n' \
    | sed "s/(.*//; s/$/:$arch/")
inside_apt install -y -q --no-install-recommends "/tmp/${package##*/}" $recommended
inside xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" sh -c '
    . /tmp/source/tools/lib/window.sh
    window_log=/tmp/game.log
    window_show 60 ${2:+sh /tmp/qemu.sh "$1"} /usr/games/kubrisk
    window_close
    [ "$size" = 275x350 ] || {
        echo "installing kubrisk:$1: the game showed no 275x350 window but $size after" \
            "$waited s; its output:"
        cat /tmp/game.log
        exit 1
    }
    echo "the installed game shows its 275x350 window"' sh "$arch" "$emulated"
if [ -n "$wayland" ]; then
    inside python3 /tmp/check-wayland-scale.py /usr/games/kubrisk
    echo "the installed game draws its board crisply under sway at 100, 125, 150 and 200 %"
fi
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
# The autopkgtest installs the package again, with what its tests need.
[ -n "$emulated" ] || inside autopkgtest -q "/tmp/${package##*/}" /tmp/source -- null

release_root
rm -rf "$root"
echo "installed, shown and removed without leftovers in a fresh Debian $release root: kubrisk:$arch"
