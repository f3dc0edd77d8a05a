#!/bin/sh
# Inside the Debian 13 root that `make windows` keeps (tools/kept-root.sh): Qt 6.8 for MinGW-w64
# from Debian 13's own qt6-base source (built once, then reused), the game and its suite against
# it, the zip and the installer, all tried under Wine, and the Qt source beside them in dist/.
# With the argument "qt" it only builds that Qt, which CI starts early, beside the other checks.
#   build.sh [qt]
set -eu
cd "$(dirname "$0")/.."
checkout=$(pwd)
host=x86_64-w64-mingw32
. tools/lib/dist.sh
name=kubrisk-$version-windows-x64
build=$checkout/build-windows
folder=$build/package/$name
dist=$checkout/dist
. tools/lib/qt-source.sh
prepare_root cmake ninja-build dpkg-dev xz-utils g++-mingw-w64-x86-64-posix \
    gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools wine \
    wine64 nsis xvfb xauth x11-utils zip unzip jq fonts-wqy-microhei

# Only what the game, its suite and its benchmark use: Core, Gui, Widgets and Test, the Windows
# and offscreen platforms and the Windows styles, with Qt's hardening and accessibility; not the
# Direct2D platform, a second copy of the Windows one (Direct2D 1.1), while the DirectWrite fonts
# stay. Debian's tarball lacks the tablet library. A unity build compiles Qt's sources in bundles,
# which parses each header once per bundle instead of once per file.
qt_options="-G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF -DQT_UNITY_BUILD=ON -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=OFF
    -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_androiddeployqt=OFF"

# shellcheck disable=SC2086
configure_qt() {
    cmake -S "$qt_dir/src" -B . $qt_options \
        -DCMAKE_TOOLCHAIN_FILE="$checkout/windows/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$qt"
}


# The folder that the zip holds and the installer installs: the game, the Qt and MinGW-w64 DLLs
# and plugins that it loads, and the licences of all of them.
stage() {
    rm -rf "$build/package" && mkdir -p "$folder/platforms" "$folder/styles" "$folder/licenses"
    for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
        cp "$($host-g++-posix -print-file-name=$dll)" "$folder"
    done
    cp "$build/kubrisk.exe" "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" \
        "$folder"
    cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms"
    cp "$qt/plugins/styles/qmodernwindowsstyle.dll" "$folder/styles"
    # Without symbols, and without a time stamp, which strip would otherwise set to now.
    SOURCE_DATE_EPOCH=0 $host-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll \
        "$folder"/*/*.dll
    qt_licences "$folder/licenses"
    cp windows/licenses/GCC-RUNTIME-LIBRARY-EXCEPTION.txt windows/licenses/winpthreads.txt \
        "$folder/licenses"
    third_party_licences bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll \
        plugins/platforms/qwindows.dll plugins/styles/qmodernwindowsstyle.dll \
        > "$folder/licenses/Qt-third-party.txt"
    cat > "$folder/licenses/Qt-source.txt" <<NOTICE
Kubrisk uses Qt ${qt_version%%+*}: Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the plugins in
platforms and styles. Qt is free software under the GNU Lesser General Public License version 3
(Qt-LGPL-3.0.txt), which refers to the GNU General Public License version 3 (Qt-GPL-3.0.txt).
Qt-third-party.txt gives the licences of the code of others that Qt compiles into them. You may
replace these DLLs with your own build of Qt 6.8.

These DLLs were built with MinGW-w64 from Debian's source package qt6-base, version $qt_version,
which is published beside this program as the files
$(cd "$qt_source" && ls | sed 's/^/    /')
Unpack them with "dpkg-source -x $dsc" and configure with CMake and
$(echo "$qt_options" | sed 's/^ */    /')
NOTICE
}

# The zip, and an installer with no build date, from the same folder.
package() {
    rm -f "$dist/$name-installer.exe" "$dist"/qt6-base_*
    reproducible_zip "$build/package" "$name" "$dist/$name.zip"
    sh windows/installer.sh "$version" "$folder" "$dist/$name-installer.exe"
    cp "$qt_source"/* "$dist"
}

fetch_qt_source
# Once for each source version, compiler, configure line and toolchain.
build_qt "gcc$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)-$(echo "$qt_options" \
    | cat - windows/mingw-w64.cmake | md5sum | cut -c1-8)" "Windows (about 13 minutes on 2 cores)"
[ "${1:-}" != qt ] || exit 0
mkdir -p "$dist"
# From scratch: what rcc generated under an earlier commit would keep that commit's time stamps.
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64.cmake -DKUBRISK_WINDOWS_QT="$qt" \
    -DKUBRISK_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=Release -DKUBRISK_WINDOWS_DIST="$dist"
cmake --build "$build" --parallel
stage
package

# The suite, the executable's resources, both packages and the looks of Windows, under Wine in
# throw-away prefixes.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
(cd "$build" && xvfb-run -a -s "-noreset" ctest --output-on-failure)
echo "built and tried under Wine:" && ls "$dist" | sed -n "/^$name/p; /^qt6-base/p"
