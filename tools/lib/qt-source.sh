# Qt built from Debian 13's own source, in the kept Debian 13 root: Qt for Windows
# (windows/build.sh) and Qt for WebAssembly (web/build.sh), which source this file.
# Qt's sources and builds stay in the root.
cache=/opt/kubrisk-qt

# Debian 13's fixes first, Qt's among them, so that the Qt built is the one that apt offers now;
# then the packages named as arguments.
prepare_root() {
    [ -f /etc/apt/sources.list.d/source.list ] \
        || sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/source.list
    sh tools/apt-get.sh update -q && sh tools/apt-get.sh upgrade -y -q
    sh tools/install-packages.sh "$@"
}

# The qt6-base source of the host tools' own version, which a cross-built Qt must match.
fetch_qt_source() {
    qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools)
    dsc=qt6-base_${qt_version#*:}.dsc
    qt_source=$cache/source/${dsc%.dsc}
    if [ ! -f "$qt_source/$dsc" ]; then
        rm -rf "$qt_source.part" && mkdir -p "$qt_source.part"
        (apt_get=$PWD/tools/apt-get.sh && cd "$qt_source.part" \
            && sh "$apt_get" source -q --download-only "qt6-base=$qt_version")
        mv "$qt_source.part" "$qt_source"
    fi
}

# build_qt KEY FOR: Qt built for FOR once, in $cache/<source>-KEY, from the source that
# fetch_qt_source fetched, and installed into $qt. The script that sources this file defines
# configure_qt, which configures it in the build folder for the prefix $qt; Qt's files take the
# source's own time.
build_qt() {
    qt_dir=$cache/${dsc%.dsc}-$1
    qt=$qt_dir/install
    [ -f "$qt_dir/complete" ] && return
    rm -rf "$qt_dir" && mkdir -p "$qt_dir/build"
    dpkg-source -x "$qt_source/$dsc" "$qt_dir/src"
    echo "building Qt for $2 in $qt_dir"
    (SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$qt_dir/src/debian/changelog" -STimestamp) \
        && export SOURCE_DATE_EPOCH && cd "$qt_dir/build" && configure_qt \
        && cmake --build . --parallel && cmake --install .) \
        > "$qt_dir/build.log" 2>&1 || { tail -n 30 "$qt_dir/build.log"; exit 1; }
    touch "$qt_dir/complete"
}

# third_party_licences TARGET...: the licences of the third-party parts of Qt that the shipped
# libraries and plugins, targets of Qt's build, are compiled from: each entry of Qt's
# qt_attribution.json files whose files the compiler read for them, with its copyright and the
# licence texts that it names, or else those of its licence identifiers.
# part FILTER: the jq FILTER applied to entry $i of $json, whose strings Qt lets run over lines.
part() {
    tr '\n\t' '  ' < "$json" \
        | jq -r --argjson i "$i" "if type == \"array\" then .[\$i] else . end | $1"
}
third_party_licences() {
    ninja -C "$qt_dir/build" -t commands "$@" | sed -n 's/.* -o \([^ ]*\.o\(bj\)\?\) .*/\1/p' \
        | sort -u | xargs ninja -C "$qt_dir/build" -t deps | sed -n 's/^    //p' \
        | sed "s|^$qt_dir/src/||" | sort -u > "$build/qt-sources"
    cd "$qt_dir/src"
    for json in $(find src -name qt_attribution.json | LC_ALL=C sort); do
        dir=${json%/*}
        count=$(tr '\n\t' '  ' < "$json" | jq 'if type == "array" then length else 1 end')
        for i in $(seq 0 $((count - 1))); do
            scope=$dir/$(part '.Path // ""')
            scope=${scope%/}
            files=$(part '.Files // [] | if type == "array" then .[] else split(" ")[] end')
            if [ -n "$files" ]; then
                echo "$files" | sed "/^$/d; s|^|$scope/|" | grep -qxFf - "$build/qt-sources" \
                    || continue
            else
                grep -q "^$scope/" "$build/qt-sources" || continue
            fi
            printf '%s, in Qt\047s %s: %s\n' "$(part .Name)" "$scope" "$(part .License)"
            part '.Copyright // "" | if type == "array" then join("\n") else . end'
            licences=$(part '.LicenseFiles // [.LicenseFile // empty] | .[]' | sed "s|^|$dir/|")
            [ -n "$licences" ] || licences=$(part .LicenseId | tr -d '()' \
                | sed 's/ \(OR\|AND\|WITH\) /\n/g; s|.*|LICENSES/&.txt|')
            for licence in $licences; do
                [ -f "$licence" ] || { echo "no licence text $licence for $json" >&2; exit 1; }
                printf '\n' && cat "$licence"
            done
            printf '\n\n'
        done
    done
    cd "$checkout"
}

# qt_licences DIR: the game's licence and Qt's, which Qt's third-party parts join.
qt_licences() {
    cp LICENSE "$1/Kubrisk-MIT.txt"
    cp "$qt_dir/src/LICENSES/LGPL-3.0-only.txt" "$1/Qt-LGPL-3.0.txt"
    cp "$qt_dir/src/LICENSES/GPL-3.0-only.txt" "$1/Qt-GPL-3.0.txt"
}
