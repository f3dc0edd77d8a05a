#!/bin/sh
# Cuts the release of the checked-out commit into dist/kubrisk-VERSION/: the source tarball, tried
# with plain CMake far from the checkout; the Debian source package and the binary packages for
# Debian 12, built on Qt 5 and on Qt 6 on this Debian 12 machine and cross-built in a Debian 12
# root for arm64 and armhf; those for Debian 13, built on its Qt 6 in the kept Debian 13 root and
# each installed in a fresh Debian 13 root; the Windows zip and installer with the Qt source that
# they were built from; the web page's zip; and SHA256SUMS over every other file. Beside it, in
# dist/apt/, the signed apt repository of Debian 12's Qt 5 packages and Debian 13's, whose
# signatures differ from one run to the next. The targets that make them run their own checks.
#   release.sh
set -eu
cd "$(git rev-parse --show-toplevel)"
[ -z "$(git status --porcelain)" ] \
    || { echo "make release takes a commit: commit or stash the changes first" >&2; exit 1; }
[ "$(. /etc/os-release && echo "$VERSION_CODENAME")" = bookworm ] \
    || { echo "make release runs on Debian 12, which builds the Debian 12 packages" >&2; exit 1; }
. tools/lib/dist.sh
release=dist/kubrisk-$version
native=$(dpkg --print-architecture)
archs="$native arm64 armhf"
bookworm=$release/debian-bookworm
trixie=$release/debian-trixie
log=$(mktemp)
front=$(mktemp)
front_status=$(mktemp)
try=$(mktemp -d)
trap 'rm -rf "$log" "$front" "$front_status" "$try"' EXIT
# make's switch for a package of ARCH: none for this machine's own.
cross() {
    [ "$1" = "$native" ] || echo "ARCH=$1"
}

# Debian 13's packages come first, as their installs need them. Then Debian 12's packages and
# those installs, which use other roots, run beside the Windows program and the web page, which
# take the Debian 13 root after them.
rm -f dist/qt6-base_* # only this run's Qt source goes with the Windows program
for arch in $archs; do
    make deb DEBIAN=trixie QT=6 $(cross "$arch")
done
{
    for qt in 5 6; do
        for arch in $archs; do
            make deb QT=$qt $(cross "$arch") || exit
        done
    done
    for arch in $archs; do
        make autopkgtest DEBIAN=trixie QT=6 $(cross "$arch") || exit
    done
    make apt-repo
} > "$log" 2>&1 &
packages=$!
{ { make windows && make web; } 2>&1 && echo 0 > "$front_status" || echo $? > "$front_status"; } \
    | tee "$front"
packaged=0
wait "$packages" || packaged=$?
echo "=== Debian 12's packages, the installs of Debian 13's and the apt repository:" && cat "$log"
# A log is read from its end, where the first part's failure would lie buried under the second's
# output: what a failed part said of its failure closes the output.
failed() {
    echo "=== $1 failed; the lines that tell how:"
    grep -E '^FAIL|Error|error:|Timeout|\(Failed\)|^E: |^crashed' "$2" | tail -n 12
    exit 1
}
[ "$(cat "$front_status")" = 0 ] || failed "the Windows program or the web page" "$front"
[ "$packaged" = 0 ] || failed "Debian's packages" "$log"
make deps-test QT=5

rm -rf "$release" && mkdir -p "$bookworm/qt5" "$bookworm/qt6" "$trixie/qt6" \
    "$release/windows" "$release/web"
git archive --format=tar --prefix="kubrisk-$version/" HEAD \
    | xz -T1 > "$release/kubrisk-$version.tar.xz"
cp "build-deb/kubrisk_$version+deb12.dsc" "build-deb/kubrisk_$version+deb12.tar.xz" "$bookworm"
for arch in $archs; do
    cp "dist/kubrisk_$version+deb12_$arch.deb" "$bookworm/qt5"
    cp "dist/qt6/kubrisk_$version+deb12_$arch.deb" "$bookworm/qt6"
    cp "dist/trixie/qt6/kubrisk_$version+deb13_$arch.deb" "$trixie/qt6"
done
cp "dist/kubrisk-$version-windows-x64.zip" "dist/kubrisk-$version-windows-x64-installer.exe" \
    dist/qt6-base_* "$release/windows"
cp "dist/kubrisk-$version-web.zip" "$release/web"

# The README's table names files of this release, and for Debian 13 only Debian 13's packages.
offered=$(awk -F'|' '/^\| .*`debian-/ { print $4, $5 }' README.md | tr -d '`' \
    | sed "s/_[0-9.]*+deb/_$version+deb/g")
[ -n "$offered" ]
echo "$offered" | while read -r twelve thirteen; do
    ls "$release/$twelve" "$release/$thirteen" > /dev/null
    case $thirteen in
    debian-trixie/*) ;;
    *) echo "the README offers $thirteen for Debian 13" >&2; exit 1 ;;
    esac
done
# Its commands name the apt repository where it is published.
grep -qF "repo=${apt_url%/}" README.md \
    || { echo "the README's repository is not $apt_url (tools/lib/dist.sh)" >&2; exit 1; }

# The source tarball builds and passes its suite with plain CMake, far from any checkout.
tar -xJf "$release/kubrisk-$version.tar.xz" -C "$try"
(cd "$try/kubrisk-$version" && cmake -S . -B build && cmake --build build --parallel \
    && ctest --test-dir build --output-on-failure)

cd "$release"
find . -type f ! -name SHA256SUMS | cut -c3- | LC_ALL=C sort | xargs sha256sum > SHA256SUMS
sha256sum --quiet -c SHA256SUMS
echo "released in $release:" && cat SHA256SUMS
