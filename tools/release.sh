#!/bin/sh
# Cuts the release of the checked-out commit into dist/kubrisk-VERSION/: the source tarball, tried
# with plain CMake far from the checkout; the Debian source package and the binary packages built
# on Qt 5 and on Qt 6, for this machine and cross-built on Debian 12 for arm64 and armhf; the
# Windows zip and installer with the Qt source that they were built from; the web page's zip; and
# SHA256SUMS over every other file. The targets that make them run their own checks.
#   release.sh TRIXIE_DIR
set -eu
cd "$(git rev-parse --show-toplevel)"
[ -z "$(git status --porcelain)" ] \
    || { echo "make release takes a commit: commit or stash the changes first" >&2; exit 1; }
version=$(sed -n 's/^project(Kubrisk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
release=dist/kubrisk-$version
native=$(dpkg --print-architecture)
debian=$release/debian-$(. /etc/os-release && echo "$VERSION_CODENAME")
# The other architectures' packages are built in a Debian 12 root.
cross_archs="arm64 armhf"
cross=$release/debian-bookworm

# Only this run's Qt source goes with the Windows program.
rm -f dist/qt6-base_*
for qt in 5 6; do
    make deb QT=$qt
    for arch in $cross_archs; do
        make deb QT=$qt ARCH="$arch"
    done
done
make windows TRIXIE_DIR="$1"
make web TRIXIE_DIR="$1"
make deps-test QT=5

rm -rf "$release" && mkdir -p "$debian/qt5" "$debian/qt6" "$cross/qt5" "$cross/qt6" \
    "$release/windows" "$release/web"
git archive --format=tar --prefix="kubrisk-$version/" HEAD \
    | xz -T1 > "$release/kubrisk-$version.tar.xz"
cp "build-deb/kubrisk_$version.dsc" "build-deb/kubrisk_$version.tar.xz" "$debian"
cp "dist/kubrisk_${version}_$native.deb" "$debian/qt5"
cp "dist/qt6/kubrisk_${version}_$native.deb" "$debian/qt6"
for arch in $cross_archs; do
    cp "dist/kubrisk_${version}_$arch.deb" "$cross/qt5"
    cp "dist/qt6/kubrisk_${version}_$arch.deb" "$cross/qt6"
done
cp "dist/kubrisk-$version-windows-x64.zip" "dist/kubrisk-$version-windows-x64-installer.exe" \
    dist/qt6-base_* "$release/windows"
cp "dist/kubrisk-$version-web.zip" "$release/web"

# The source tarball builds and passes its suite with plain CMake, far from any checkout.
try=$(mktemp -d)
trap 'rm -rf "$try"' EXIT
tar -xJf "$release/kubrisk-$version.tar.xz" -C "$try"
(cd "$try/kubrisk-$version" && cmake -S . -B build && cmake --build build --parallel \
    && ctest --test-dir build --output-on-failure)

cd "$release"
find . -type f ! -name SHA256SUMS | cut -c3- | LC_ALL=C sort | xargs sha256sum > SHA256SUMS
sha256sum --quiet -c SHA256SUMS
echo "released in $release:" && cat SHA256SUMS
