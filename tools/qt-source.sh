# Debian 13's own Qt source, for the Qt builds that the kept Debian 13 root holds: Qt for Windows
# (tools/windows-build.sh) and Qt for WebAssembly (tools/web-build.sh), which source this file.
# Qt's sources and builds stay in the root.
cache=/opt/kubrisk-qt

# Debian 13's fixes first, Qt's among them, so that the Qt built is the one that apt offers now;
# then the packages named as arguments.
prepare_root() {
    [ -f /etc/apt/sources.list.d/source.list ] \
        || sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/source.list
    apt-get update -q && apt-get upgrade -y -q
    sh tools/install-packages.sh "$@"
}

# The qt6-base source of the host tools' own version, which a cross-built Qt must match.
fetch_qt_source() {
    qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools)
    dsc=qt6-base_${qt_version#*:}.dsc
    qt_source=$cache/source/${dsc%.dsc}
    if [ ! -f "$qt_source/$dsc" ]; then
        rm -rf "$qt_source.part" && mkdir -p "$qt_source.part"
        (cd "$qt_source.part" && apt-get source -q --download-only "qt6-base=$qt_version")
        mv "$qt_source.part" "$qt_source"
    fi
}
