#!/bin/sh
# Inside the Debian 13 root that `make web` keeps (tools/kept-root.sh): Qt 6.8 for WebAssembly
# from Debian 13's own qt6-base source with Debian's emscripten (built once, then reused), and
# the game's page in dist/web: the page of web/, the loader, the .js and the .wasm.
# With the argument "qt" it only builds that Qt.
#   web-build.sh [qt]
set -eu
cd "$(dirname "$0")/.."
checkout=$(pwd)
build=$checkout/build-web
dist=$checkout/dist/web
. tools/qt-source.sh
prepare_root cmake ninja-build dpkg-dev xz-utils emscripten qt6-base-dev \
    qt6-base-dev-tools fonts-wqy-microhei fonttools

# Qt's configure asks for an emsdk; Debian's emscripten is one in all but its layout.
emsdk=$cache/emsdk
mkdir -p "$emsdk/upstream"
ln -sfn /usr/share/emscripten "$emsdk/upstream/emscripten"
echo "EMSCRIPTEN_ROOT = '/upstream/emscripten'" > "$emsdk/.emscripten"
export EMSDK="$emsdk"

# A static Qt with Asyncify, which a modal box's nested event loop needs; OpenGL stays, as the
# platform's backing store draws with it.
qt_options="-platform wasm-emscripten -qt-host-path /usr -static -release -nomake examples
    -nomake tests -device-option QT_EMSCRIPTEN_ASYNCIFY=1 -no-feature-network -no-feature-sql
    -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-dbus -unity-build
    -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -G Ninja"

# shellcheck disable=SC2086
configure_qt() {
    sh "$qt_dir/src/configure" -prefix "$qt" $qt_options
}

fetch_qt_source
# Once for each source version, configure line and emscripten.
build_qt "wasm-$(echo "$qt_options $(emcc --version | head -n 1)" | md5sum | cut -c1-8)" \
    WebAssembly
[ "${1:-}" != qt ] || exit 0
# From scratch, as for Windows: the resources carry the commit's time.
rm -rf "$build" && mkdir -p "$build"
# Every character of the window's texts beyond ASCII, from WenQuanYi Micro Hei.
grep -ohP '[^\x00-\x7f]' src/*.cpp src/*.ui | LC_ALL=C.UTF-8 sort -u | tr -d '\n' > "$build/texts"
pyftsubset /usr/share/fonts/truetype/wqy/wqy-microhei.ttc --font-number=0 \
    --text-file="$build/texts" --output-file="$build/chinese.ttf"
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DKUBRISK_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=Release \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF -DBUILD_TESTING=OFF -DKUBRISK_WEB_FONT="$build/chinese.ttf"
cmake --build "$build" --parallel
rm -rf "$dist" && mkdir -p "$dist"
cp "$build/kubrisk.js" "$build/kubrisk.wasm" "$build/qtloader.js" web/index.html web/page.css \
    web/page.js "$dist"
cp resources/icons/32.png "$dist/icon.png"
ls -l "$dist"
