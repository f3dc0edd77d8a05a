#!/bin/sh
# Makes the signed apt repository of the packages given, anew, with reprepro: each package goes
# to the suite of the Debian release that its version names (+deb12: bookworm, +deb13: trixie),
# component main. Beside dists/ and pool/ lie the public key, kubrisk-archive-keyring.gpg, and
# for each suite the source file that a player puts in /etc/apt/sources.list.d/, SUITE.sources,
# naming the repository at URL.
#   apt-repository.sh FOLDER URL PACKAGE.deb...
# KUBRISK_SIGNING_KEY names the key that signs, in the maintainer's gpg keyring; without it, a key
# kept for this machine signs, made the first time outside the checkout.
set -eu
folder=$1 url=$2
shift 2
tools=$(dirname "$0")
sh "$tools/install-packages.sh" reprepro gnupg
if [ -z "${KUBRISK_SIGNING_KEY:-}" ]; then
    GNUPGHOME=${XDG_DATA_HOME:-$HOME/.local/share}/kubrisk/apt-gnupg
    export GNUPGHOME
    if [ ! -d "$GNUPGHOME" ]; then
        mkdir -p "$GNUPGHOME" && chmod 700 "$GNUPGHOME"
        gpg --batch --quiet --passphrase '' --quick-gen-key \
            "Kubrisk archive (this machine's) <developers@kubrisk.org>" ed25519 sign never
        echo "made a key to sign the apt repository with, in $GNUPGHOME:" \
            "KUBRISK_SIGNING_KEY names your own"
    fi
    KUBRISK_SIGNING_KEY=$(gpg --list-secret-keys --with-colons 2> /dev/null \
        | awk -F: '/^fpr/ { print $10; exit }')
fi

# reprepro's configuration and database stay out of what is published.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/conf"
rm -rf "$folder" && mkdir -p "$folder"
for suite in bookworm:12 trixie:13; do
    cat >> "$work/conf/distributions" <<SUITE
Origin: Kubrisk
Label: Kubrisk
Codename: ${suite%:*}
Architectures: amd64 arm64 armhf
Components: main
Description: Kubrisk for Debian ${suite#*:}
SignWith: $KUBRISK_SIGNING_KEY

SUITE
    cat > "$folder/${suite%:*}.sources" <<SOURCE
Types: deb
URIs: $url
Suites: ${suite%:*}
Components: main
Signed-By: /etc/apt/keyrings/kubrisk-archive-keyring.gpg
SOURCE
done
reprepro() {
    command reprepro --silent --basedir "$work" --outdir "$(realpath "$folder")" "$@"
}
for package in "$@"; do
    case $(dpkg-deb --field "$package" Version) in
    *+deb12) suite=bookworm ;;
    *+deb13) suite=trixie ;;
    *) echo "$package names no Debian release in its version" >&2; exit 1 ;;
    esac
    reprepro includedeb "$suite" "$package"
done
# Each suite, also one without a package yet.
reprepro export
gpg --export "$KUBRISK_SIGNING_KEY" > "$folder/kubrisk-archive-keyring.gpg"
echo "the apt repository in $folder, signed by $KUBRISK_SIGNING_KEY:"
(cd "$folder" && find dists -name InRelease && find pool -name '*.deb' | LC_ALL=C sort)
