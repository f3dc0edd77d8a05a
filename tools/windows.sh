#!/bin/sh
# Builds the game for Windows and tries it under Wine, in a Debian 13 root kept for later runs,
# whatever this machine's own release: the same toolchain, Qt source and Wine on every machine.
# tools/windows-build.sh does the work inside the root, where this checkout is /root/kubrisk.
#   windows.sh CACHE
# CACHE (outside the checkout) keeps the root, with Qt's source and builds, and its downloads.
set -eu
[ "$(id -u)" -eq 0 ] || exec sudo sh "$0" "$@" # debootstrap, mount and chroot need root
checkout=$(git rev-parse --show-toplevel)
downloads=$(realpath -m "$1")
case $downloads/ in
"$checkout"/*) echo "make windows keeps Qt's build out of the checkout: $downloads" >&2; exit 1 ;;
esac
release=trixie
root=$downloads/$release
. "$checkout/tools/debian-root.sh"

# One run at a time uses the root.
mkdir -p "$downloads"
exec 9> "$downloads/lock"
flock 9
trap 'release_root' EXIT
trap 'exit 130' INT TERM
if [ ! -f "$root/kubrisk-root" ]; then
    make_root
    touch "$root/kubrisk-root"
fi
mount_root
mkdir -p "$root/root/kubrisk"
mount --bind "$checkout" "$root/root/kubrisk"
# rcc and the zip give each file the last commit's time.
inside SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)" sh /root/kubrisk/tools/windows-build.sh
release_root
# Through sudo, the build and its files stay the user's.
[ -z "${SUDO_UID:-}" ] || chown -R "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" build-windows dist
