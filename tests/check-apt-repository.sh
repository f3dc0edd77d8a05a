#!/bin/sh
# The apt repository as a player meets it, served from a web server on this machine, in a fresh
# root of a Debian release where the README's commands add its key and source: apt installs the
# release's build (Qt 5 on Debian 12, Qt 6 on Debian 13) and the game runs; it finds the arm64 and
# armhf builds (simulated); a later state of the repository upgrades it. On Debian 12 apt also
# refuses the repository with one byte of its InRelease changed and signed by another key, and a
# release upgrade, with Debian's source and the repository's turned to trixie, moves the game to
# the Debian 13 build (simulated). Needs root on a Debian system.
#   check-apt-repository.sh RELEASE FOLDER REPOSITORY
# The root is FOLDER/RELEASE-apt; downloads stay in FOLDER for the next run, as for make fresh.
set -eu
release=$1
downloads=$(realpath -m "$2")
repository=$(realpath "$3")
checkout=$(git rev-parse --show-toplevel)
root=$downloads/$release-apt
. "$checkout/tools/lib/debian-root.sh"
fresh_root "checking the apt repository in a fresh root"
work=$(mktemp -d) server=
trap '[ -z "$server" ] || kill "$server"; rm -rf "$work"; release_root' EXIT
fail() { echo "FAIL: apt repository on Debian $release: $*" >&2; exit 1; }

# The states of the repository, one at a time at the served address; the first is the one given,
# its source files naming this address.
serve() { ln -sfn "$1" "$work/served"; }
cp -r "$repository" "$work/now"
serve "$work/now"
python3 -u -m http.server --bind 127.0.0.1 --directory "$work/served" 0 > "$work/server" 2>&1 &
server=$!
while ! port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$work/server" | grep .); do sleep 0.1; done
sed -i "s|^URIs: .*|URIs: http://127.0.0.1:$port/|" "$work/now"/*.sources

# A later release: the packages again with a higher version, in a repository signed alike.
for package in "$repository"/pool/main/k/kubrisk/*.deb; do
    dpkg-deb -R "$package" "$work/unpacked"
    sed -i 's/^Version: \(.*\)+deb/Version: \1.1+deb/' "$work/unpacked/DEBIAN/control"
    dpkg-deb --root-owner-group -b "$work/unpacked" "$work/later-$(basename "$package")" > /dev/null
    rm -rf "$work/unpacked"
done
sh "$checkout/tools/apt-repository.sh" "$work/later" "http://127.0.0.1:$port/" "$work"/later-*.deb \
    > /dev/null

# What a player types, as the README gives it, with this address for the repository's, on a
# system with the other architectures added.
inside dpkg --add-architecture arm64
inside dpkg --add-architecture armhf
inside_apt update -q > "$work/log" && inside_apt install -y -q --no-install-recommends wget \
    > "$work/log" || fail "installing wget: $(cat "$work/log")"
sed -n '/^repo=/,/^```/p' "$checkout/README.md" | sed -e '$d' -e 's/sudo //g' \
    -e "s|^repo=.*|repo=http://127.0.0.1:$port|" \
    -e 's/apt install/apt install -y --no-install-recommends/' > "$root/tmp/player.sh"
inside sh -e /tmp/player.sh > "$work/log" 2>&1 \
    || fail "the README's commands: $(cat "$root/tmp/player.sh" "$work/log")"
case $release in
bookworm) debian=12 qt=libqt5widgets5 ;;
*) debian=13 qt=libqt6widgets6 ;;
esac
installed=$(inside dpkg-query -W -f '${Version}' kubrisk)
case $installed in
*+deb$debian) ;;
*) fail "apt installed kubrisk $installed, not the Debian $debian build" ;;
esac
inside dpkg-query -W -f '${Depends}' kubrisk | grep -q "$qt" || fail "kubrisk does not use $qt"
inside /usr/games/kubrisk --version > "$work/log" 2>&1 \
    || fail "kubrisk --version: $(cat "$work/log")"
echo "apt installs kubrisk $installed on $qt, which runs: $(cat "$work/log")"
for arch in arm64 armhf; do
    inside apt-get install -s -q "kubrisk:$arch" > "$work/log" 2>&1 \
        || fail "apt finds no kubrisk:$arch: $(cat "$work/log")"
done
echo "apt finds kubrisk:arm64 and kubrisk:armhf"

# refused STATE REASON WHAT: apt must refuse the repository in STATE, for REASON, and keep offering
# the installed version rather than the later one that STATE holds.
refused() {
    serve "$1"
    inside_apt update -q > "$work/log" 2>&1 || true
    candidate=$(inside apt-cache policy kubrisk | sed -n 's/ *Candidate: //p')
    [ "$candidate" = "$installed" ] && grep -q "$2" "$work/log" \
        || fail "apt took the repository $3, offering kubrisk $candidate: $(cat "$work/log")"
    echo "apt refuses the repository $3: $(grep -m1 -o "$2.*" "$work/log")"
}
if [ "$release" = bookworm ]; then
    cp -r "$work/later" "$work/altered"
    altered=dists/$release/InRelease
    sed -i "0,/^Description: Kubrisk/s//Description: kubrisk/" "$work/altered/$altered"
    cmp -l "$work/later/$altered" "$work/altered/$altered" | wc -l | grep -qx 1
    refused "$work/altered" BADSIG "with one byte of its InRelease changed"
    # A key of its own: where none is named, the script makes one for this home.
    HOME=$work/stranger KUBRISK_SIGNING_KEY= XDG_DATA_HOME= sh "$checkout/tools/apt-repository.sh" \
        "$work/stranger-signed" "http://127.0.0.1:$port/" "$work"/later-*.deb > /dev/null
    GNUPGHOME=$work/stranger/.local/share/kubrisk/apt-gnupg gpgconf --kill gpg-agent
    refused "$work/stranger-signed" NO_PUBKEY "signed by another key"
fi

serve "$work/later"
inside_apt update -q > "$work/log" && inside_apt upgrade -y -q > "$work/log" \
    || fail "apt-get upgrade: $(cat "$work/log")"
upgraded=$(inside dpkg-query -W -f '${Version}' kubrisk)
[ "$upgraded" = "${installed%+*}.1+deb$debian" ] || fail "apt-get upgrade left kubrisk $upgraded"
echo "apt-get upgrade takes the repository's later kubrisk $upgraded"

if [ "$release" = bookworm ]; then
    sed -i 's/bookworm/trixie/' "$root/etc/apt/sources.list" \
        "$root/etc/apt/sources.list.d/kubrisk.sources"
    inside_apt update -q > "$work/log" || fail "apt-get update for trixie: $(cat "$work/log")"
    inside apt-get full-upgrade -s -q > "$work/log" 2>&1
    grep "^Inst kubrisk \[$upgraded\] (.*+deb13 " "$work/log" \
        || fail "a release upgrade keeps the Debian 12 build: $(grep kubrisk "$work/log")"
    echo "a release upgrade to trixie moves kubrisk to the Debian 13 build"
fi
release_root
rm -rf "$root"
echo "the apt repository serves Debian $release as a player's apt needs"
