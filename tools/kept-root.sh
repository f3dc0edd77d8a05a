#!/bin/sh
# Runs a command in a Debian root of the given release, kept for later runs, whatever this
# machine's own release: the same toolchains and libraries on every machine. The command runs as
# root in this checkout, which is /root/kubrisk there, with a clean environment but for
# VARIABLE=VALUE arguments given before it.
#   kept-root.sh RELEASE CACHE [VARIABLE=VALUE...] COMMAND [ARGUMENT...]
# CACHE (outside the checkout) keeps the root, with whatever the command keeps in it, and its
# downloads.
set -eu
[ "$(id -u)" -eq 0 ] || exec sudo sh "$0" "$@" # debootstrap, mount and chroot need root
checkout=$(git rev-parse --show-toplevel)
release=$1
downloads=$(realpath -m "$2")
shift 2
root=$downloads/$release
. "$checkout/tools/lib/debian-root.sh"
outside_checkout "tools/kept-root.sh"

# One run at a time uses the root.
mkdir -p "$downloads"
exec 9> "$downloads/lock"
flock 9
trap 'release_root' EXIT
trap 'exit 130' INT TERM
# A new root has git and make, as a new user's system has for this checkout's commands.
[ -f "$root/kubrisk-root" ] || make_root
# A run cut off before its end (a killed job, a machine stopped) leaves the root mounted, and the
# kernel's file systems refuse to be mounted on themselves; no other run is inside while we hold
# the lock.
release_root
mount_root
if [ ! -f "$root/kubrisk-root" ]; then
    inside_apt update -q
    inside_apt install -y -q --no-install-recommends git make
    touch "$root/kubrisk-root"
fi
mkdir -p "$root/root/kubrisk"
mount --bind "$checkout" "$root/root/kubrisk"
# Git there reads the checkout, which may be another user's.
printf '[safe]\n\tdirectory = /root/kubrisk\n' > "$root/etc/gitconfig"
inside sh -c 'cd /root/kubrisk && exec env "$@"' sh "$@"
release_root
# Through sudo, the builds and their files stay the user's.
[ -z "${SUDO_UID:-}" ] || find "$checkout" -user 0 -exec chown "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" {} +
