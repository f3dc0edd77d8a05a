#!/bin/sh
# Builds the game for Windows on Debian and tries it under Wine: Qt 5.15 for MinGW-w64 from
# Debian's own qtbase source (built once, then reused), the game and its suite against it, the zip
# and the installer, and the Qt source beside them in dist/.
#   windows.sh CACHE
# CACHE (outside the checkout) keeps the Qt source and Qt's builds, one for each source version,
# compiler and configure line.
set -eu
checkout=$(git rev-parse --show-toplevel)
cache=$(realpath -m "$1")
case $cache/ in
"$checkout"/*) echo "make windows keeps Qt's build out of the checkout: $cache" >&2; exit 1 ;;
esac
cd "$checkout"

host=x86_64-w64-mingw32
version=$(sed -n 's/^project(Kubrisk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kubrisk-$version-windows-x64
build=$checkout/build-windows
folder=$build/package/$name
dist=$checkout/dist
sh tools/install-packages.sh cmake make g++ dpkg-dev perl xz-utils g++-mingw-w64-x86-64-posix \
    gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 nsis xvfb xauth x11-utils \
    zip unzip
# Where the win32 thread model is installed too, the unsuffixed names may point at it.
compilers=$cache/compilers
mkdir -p "$compilers"
ln -sf "$(command -v $host-gcc-posix)" "$compilers/$host-gcc"
ln -sf "$(command -v $host-g++-posix)" "$compilers/$host-g++"
PATH=$compilers:$PATH

# Debian's qtbase source, fetched with the system's own apt sources turned into source lines,
# through a private apt state so that the system's configuration stays untouched.
fetch_qt_source() {
    apt=$cache/apt
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        2>/dev/null > "$apt/sources.list" || true
    rm -f "$apt/sources.list.d/"*
    for file in /etc/apt/sources.list.d/*.sources; do
        [ ! -f "$file" ] || sed 's/^Types:.*/Types: deb-src/' "$file" \
            > "$apt/sources.list.d/${file##*/}"
    done
    set -- -o Dir::Etc::SourceList="$apt/sources.list" \
        -o Dir::Etc::SourceParts="$apt/sources.list.d" -o Dir::State::Lists="$apt/lists" \
        -o Dir::Cache="$apt/cache"
    apt-get "$@" update -q
    dsc=$(apt-get "$@" source --print-uris qtbase-opensource-src \
        | sed -n "s/^'[^']*' \([^ ]*\.dsc\) .*/\1/p")
    [ -n "$dsc" ] || { echo "apt offers no source of qtbase-opensource-src" >&2; exit 1; }
    qt_source=$cache/source/${dsc%.dsc}
    if [ ! -f "$qt_source/$dsc" ]; then
        mkdir -p "$qt_source.part"
        (cd "$qt_source.part" && apt-get "$@" source --download-only qtbase-opensource-src)
        mv "$qt_source.part" "$qt_source"
    fi
}

# Only what the game, its suite and its benchmark use: Core, Gui, Widgets and Test, the Windows
# and offscreen platforms and the Windows style. Debian's tarball lacks the tablet library.
qt_options="-xplatform win32-g++ -device-option CROSS_COMPILE=$host- -opensource -confirm-license
    -release -shared -nomake examples -nomake tests -no-opengl -no-direct2d -no-dbus -no-icu
    -no-pkg-config -qt-zlib -qt-libpng -qt-pcre -qt-harfbuzz -no-gif -no-ico -no-libjpeg
    -no-sql-sqlite -no-sql-odbc -no-openssl -no-feature-tabletevent -no-feature-network
    -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-printer"

# Qt for Windows, built once for each source version, compiler and configure line.
build_qt() {
    compiler=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
    options=$(echo "$qt_options" | md5sum | cut -c1-8)
    qt_dir=$cache/qt/${dsc%.dsc}-gcc$compiler-$options
    qt=$qt_dir/install
    [ -f "$qt_dir/complete" ] && return
    rm -rf "$qt_dir" && mkdir -p "$qt_dir/build"
    dpkg-source -x "$qt_source/$dsc" "$qt_dir/src"
    SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$qt_dir/src/debian/changelog" -STimestamp)
    export SOURCE_DATE_EPOCH
    echo "building Qt for Windows in $qt_dir (about 20 minutes on 2 cores)"
    # shellcheck disable=SC2086
    (cd "$qt_dir/build" && ../src/configure -prefix "$qt" $qt_options && make -j"$(nproc)" \
        && make install) > "$qt_dir/build.log" 2>&1 || { tail -n 30 "$qt_dir/build.log"; exit 1; }
    rm -f "$qt_dir"/*.orig.tar.*
    touch "$qt_dir/complete"
}

# The folder that the zip holds and the installer installs: the game, the Qt and MinGW-w64 DLLs
# and plugins that it loads, and the licences of all of them.
stage() {
    rm -rf "$build/package" && mkdir -p "$folder/platforms" "$folder/styles" "$folder/licenses"
    for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
        cp "$($host-g++ -print-file-name=$dll)" "$folder"
    done
    cp "$build/kubrisk.exe" "$qt/bin/Qt5Core.dll" "$qt/bin/Qt5Gui.dll" "$qt/bin/Qt5Widgets.dll" \
        "$folder"
    cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms"
    cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles"
    # Without symbols, and without a time stamp, which strip would otherwise set to now.
    SOURCE_DATE_EPOCH=0 $host-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll \
        "$folder"/*/*.dll
    cp LICENSE "$folder/licenses/Kubrisk-MIT.txt"
    cp "$qt_dir/src/LICENSE.LGPL3" "$folder/licenses/Qt-LGPL-3.0.txt"
    cp "$qt_dir/src/LICENSE.GPL3" "$folder/licenses/Qt-GPL-3.0.txt"
    cp windows/licenses/GCC-RUNTIME-LIBRARY-EXCEPTION.txt windows/licenses/winpthreads.txt \
        "$folder/licenses"
    # The third-party code that Qt compiles into these DLLs, under licences of its own, each of
    # which must be found.
    for part in double-conversion easing freebsd harfbuzz-ng libpng md4c pcre2 rfc6234 tinycbor \
        zlib; do
        licence=$(ls "$qt_dir/src/src/3rdparty/$part"/LICEN[CS]E* \
            "$qt_dir/src/src/3rdparty/$part"/COPYING 2>/dev/null || true)
        [ -n "$licence" ] || { echo "no licence found in Qt's src/3rdparty/$part" >&2; exit 1; }
        printf '%s\n\n' "Qt's src/3rdparty/$part:"
        # shellcheck disable=SC2086
        cat $licence
        printf '\n\n'
    done > "$folder/licenses/Qt-third-party.txt"
    qt_version=$(sed -n 's/^Version: //p' "$qt_source/$dsc")
    cat > "$folder/licenses/Qt-source.txt" <<NOTICE
Kubrisk uses Qt ${qt_version%%+*}: Qt5Core.dll, Qt5Gui.dll, Qt5Widgets.dll and the plugins in
platforms and styles. Qt is free software under the GNU Lesser General Public License version 3
(Qt-LGPL-3.0.txt), which refers to the GNU General Public License version 3 (Qt-GPL-3.0.txt).
You may replace these DLLs with your own build of Qt 5.15.

These DLLs were built from Debian's source package qtbase-opensource-src, version $qt_version,
which is published beside this program as the files
$(cd "$qt_source" && ls | sed 's/^/    /')
Unpack them with "dpkg-source -x $dsc" and configure with
$(echo "$qt_options" | sed 's/^ */    /')
NOTICE
}

# A zip with fixed times and order, and an installer with no build date, from the same folder.
package() {
    find "$build/package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    find "$folder" -type f -exec chmod 644 {} +
    find "$folder" -type d -exec chmod 755 {} +
    rm -f "$dist/$name.zip" "$dist/$name-installer.exe"
    (cd "$build/package" && find "$name" -type f | LC_ALL=C sort \
        | TZ=UTC zip -X -D -q "$dist/$name.zip" -@)
    # The uninstaller removes exactly these files, then their folders, deepest first.
    (cd "$folder" && find . -type f | LC_ALL=C sort | sed 's|^|Delete |'
        find . -mindepth 1 -type d | LC_ALL=C sort -r | sed 's|^|RMDir |') \
        | sed 's|/|\\|g; s| \.\(.*\)| "$INSTDIR\1"|' > "$build/package/uninstall.nsh"
    makensis -V2 -DVERSION="$version" -DFOLDER="$folder" -DOUTFILE="$dist/$name-installer.exe" \
        -DUNINSTALL="$build/package/uninstall.nsh" -DICON="$checkout/resources/main.ico" \
        windows/kubrisk.nsi
    cp "$qt_source"/* "$dist"
}

fetch_qt_source
build_qt
# rcc writes each file's time into the executable: the last commit's, as for the zip's files.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
mkdir -p "$dist"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=windows/mingw-w64.cmake -DKUBRISK_WINDOWS_QT="$qt" \
    -DCMAKE_BUILD_TYPE=Release -DKUBRISK_WINDOWS_DIST="$dist"
cmake --build "$build" --parallel
stage
package

# The suite, the executable's resources and both packages, under Wine in a throw-away prefix.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
(cd "$build" && xvfb-run -a -s "-noreset" ctest --output-on-failure)
echo "built and tried under Wine:" && ls "$dist" | sed -n "/^$name/p; /^qtbase/p"
