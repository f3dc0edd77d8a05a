#!/bin/sh
# Inside the Debian 13 root that `make web` keeps (tools/kept-root.sh): Qt 6.8 for WebAssembly
# from Debian 13's own qt6-base source with Debian's emscripten (built once, then reused), and
# the game's page in dist/web: the page of web/page/, the loader, the .js and the .wasm. The suite
# runs in headless Chromium; Chromium, Firefox and WebKit then play the page; the page goes into
# a zip in dist/.
# With the argument "qt" it only builds that Qt; with "bench" it runs the benchmark instead.
#   build.sh [qt|bench]
set -eu
cd "$(dirname "$0")/.."
checkout=$(pwd)
build=$checkout/build-web
dist=$checkout/dist/web
. tools/lib/dist.sh
name=kubrisk-$version-web
. tools/lib/qt-source.sh
prepare_root cmake ninja-build dpkg-dev xz-utils emscripten qt6-base-dev \
    qt6-base-dev-tools fonts-wqy-microhei fonttools chromium firefox-esr webkit2gtk-driver xvfb \
    python3-websocket python3-brotli zip jq

# Qt's configure asks for an emsdk; Debian's emscripten is one in all but its layout.
emsdk=$cache/emsdk
mkdir -p "$emsdk/upstream"
ln -sfn /usr/share/emscripten "$emsdk/upstream/emscripten"
echo "EMSCRIPTEN_ROOT = '/upstream/emscripten'" > "$emsdk/.emscripten"
export EMSDK="$emsdk"

# A static Qt with Asyncify, which a modal box's nested event loop needs; OpenGL stays, as the
# platform's backing store draws with it. Optimised for size, without the modules, widgets,
# dialogs and image formats that the game never shows: the styles would link them all.
qt_options="-platform wasm-emscripten -qt-host-path /usr -static -release -optimize-size
    -nomake examples -nomake tests -device-option QT_EMSCRIPTEN_ASYNCIFY=1 -no-feature-network
    -no-feature-sql -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-dbus
    -no-feature-treeview -no-feature-tableview -no-feature-columnview -no-feature-graphicsview
    -no-feature-graphicseffect -no-feature-filedialog -no-feature-fontdialog
    -no-feature-colordialog -no-feature-inputdialog -no-feature-progressdialog
    -no-feature-errormessage -no-feature-wizard -no-feature-mdiarea -no-feature-dockwidget
    -no-feature-calendarwidget -no-feature-datetimeedit -no-feature-splashscreen -no-feature-dial
    -no-feature-lcdnumber -no-feature-keysequenceedit -no-feature-syntaxhighlighter
    -no-feature-scroller -no-feature-gestures -no-feature-whatsthis -no-feature-systemtrayicon
    -no-feature-undocommand -no-feature-textodfwriter -no-feature-textmarkdownreader
    -no-feature-textmarkdownwriter -no-feature-pdf -no-feature-movie -no-feature-gif
    -no-feature-ico -no-feature-jpeg -no-feature-mimetype -no-feature-hijricalendar
    -no-feature-jalalicalendar -unity-build
    -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -G Ninja"

# Qt for WebAssembly brings DejaVu fonts of its own, 1 MB of the .wasm, in which the game shows
# printable ASCII alone (its Chinese texts have a font of their own): only those glyphs go in.
qt_glyphs=U+0020-007E

# shellcheck disable=SC2086
configure_qt() {
    for font in "$qt_dir"/src/src/3rdparty/wasm/*.ttf; do
        pyftsubset "$font" --unicodes="$qt_glyphs" --output-file="$font.subset"
        mv "$font.subset" "$font"
    done
    sh "$qt_dir/src/configure" -prefix "$qt" $qt_options
}

fetch_qt_source
# Once for each source version, configure line, glyphs and emscripten.
build_qt "wasm-$(echo "$qt_options $qt_glyphs $(emcc --version | head -n 1)" | md5sum | cut -c1-8)" \
    WebAssembly
[ "${1:-}" != qt ] || exit 0
# From scratch, as for Windows: the resources carry the commit's time.
rm -rf "$build" && mkdir -p "$build"
# Every character of the window's texts beyond ASCII, from WenQuanYi Micro Hei.
grep -ohP '[^\x00-\x7f]' src/*.cpp src/*.ui | LC_ALL=C.UTF-8 sort -u | tr -d '\n' > "$build/texts"
pyftsubset /usr/share/fonts/truetype/wqy/wqy-microhei.ttc --font-number=0 \
    --text-file="$build/texts" --output-file="$build/chinese.ttf"
"$qt/bin/qt-cmake" -S . -B "$build" -G Ninja -DKUBRISK_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=Release \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF -DKUBRISK_WEB_FONT="$build/chinese.ttf" \
    -DKUBRISK_WEB_DIST="$dist"
cmake --build "$build" --parallel
rm -rf "$dist" && mkdir -p "$dist/licenses"
cp "$build/kubrisk.js" "$build/qtloader.js" web/page/index.html web/page/page.css \
    web/page/page.js web/page/manifest.webmanifest web/page/icon-192.png web/page/icon-512.png \
    "$dist"
cp resources/icons/32.png "$dist/icon.png"
# The .wasm as a script that holds it, gzip'd, in base64: the page served fetches it, and the page
# opened from the disk, where a browser fetches no file but runs scripts, runs it.
{ printf 'window.kubrisk_wasm = "'; gzip -9n < "$build/kubrisk.wasm" | base64 -w 0; echo '";'; } \
    > "$dist/kubrisk-wasm.js"
# The release: the version and a digest of the files that the page names with it, so that a
# browser may keep them for long. The page learns the script's own size for its progress bar.
versioned="page.css page.js qtloader.js kubrisk.js kubrisk-wasm.js"
release=$version+$(cd "$dist" && cat $versioned | sha256sum | cut -c1-8)
bytes=$(stat -c %s "$dist/kubrisk-wasm.js")
sed -i -e "s/data-payload-bytes=\"\"/data-payload-bytes=\"$bytes\"/" \
    -e "s/data-release=\"\"/data-release=\"$release\"/" \
    -e "s/\(src\|href\)=\"\($(echo "$versioned" | sed 's/ /\\|/g')\)\"/\1=\"\2?$release\"/" \
    "$dist/index.html"
# The service worker keeps exactly these files of the release, by their SHA-256.
files=$(cd "$dist" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort | xargs sha256sum \
    | awk '{ printf "%s\"%s\": \"%s\"", (NR > 1 ? ", " : ""), $2, $1 }')
sed -e "s|@RELEASE@|$release|" -e "s|/\* @FILES@ \*/|$files|" web/page/service-worker.js \
    > "$dist/service-worker.js"
# The licences of what the page holds: the game's, Qt's with its third-party parts, Emscripten's
# runtime's and the font's.
qt_licences "$dist/licenses"
cp /usr/share/doc/emscripten/copyright "$dist/licenses/Emscripten.txt"
cp /usr/share/doc/fonts-wqy-microhei/copyright "$dist/licenses/WenQuanYi-Micro-Hei.txt"
third_party_licences lib/libQt6Core.a lib/libQt6Gui.a lib/libQt6Widgets.a \
    plugins/platforms/libqwasm.a lib/libQt6BundledFreetype.a lib/libQt6BundledHarfbuzz.a \
    lib/libQt6BundledLibpng.a lib/libQt6BundledPcre2.a lib/libQt6BundledZLIB.a \
    > "$dist/licenses/Qt-third-party.txt"
cat > "$dist/licenses/Qt-source.txt" <<NOTICE
kubrisk-wasm.js holds the game's WebAssembly with Qt ${qt_version%%+*}, linked statically, built
with Emscripten from Debian's source package qt6-base, version $qt_version, which is published
beside the Windows program of this release. Qt is free software under the GNU Lesser General
Public License version 3 (Qt-LGPL-3.0.txt), which refers to the GNU General Public License
version 3 (Qt-GPL-3.0.txt).
Qt-third-party.txt gives the licences of the code of others that Qt compiles into it.
The game's source, kubrisk-$version.tar.xz in the same release, builds it again with your own
Qt 6.8 for WebAssembly: see its docs/web.md.
NOTICE
if [ "${1:-}" = bench ]; then
    python3 web/bench.py "$build" "$dist"
    exit 0
fi
(cd "$build" && ctest --output-on-failure)

rm -rf "$build/package" && mkdir -p "$build/package"
cp -r "$dist" "$build/package/$name"
reproducible_zip "$build/package" "$name" "$checkout/dist/$name.zip"
ls -l "$dist" "$checkout/dist/$name.zip"
