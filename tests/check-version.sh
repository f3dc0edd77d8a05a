#!/bin/sh
# CMake's VERSION is the one that conventions keep by hand: the metainfo's newest release, the
# changelog's top entry (which a package build gives its Debian release's suffix, +deb12), the
# manual page's title line and the resource script's version values.
#   check-version.sh VERSION SOURCE
v=$1 && cd "$2" || exit 1
stale=
# stale unless FILE's first line that matches PATTERN holds TEXT
first() { grep -m1 "$2" "$1" | grep -qF "$3" || stale="$stale $1"; }
first resources/org.kubrisk.Kubrisk.metainfo.xml '<release ' "<release version=\"$v\""
[ "$(sed -n '1s/^kubrisk (\([^)+]*\)[)+].*/\1/p' debian/changelog)" = "$v" ] \
    || stale="$stale debian/changelog"
first resources/kubrisk.6 '^\.TH ' "\"Kubrisk $v\""
[ "$(grep -cE "^FILEVERSION $(echo "$v" | tr . ,),0$|^ +VALUE \"(File|Product)Version\", \"$v\.0\"$" \
    windows/kubrisk.rc)" = 3 ] || stale="$stale windows/kubrisk.rc"
[ -z "$stale" ] || { echo "version $v of CMakeLists.txt is not yet in:$stale"; exit 1; }
echo "version $v in the metainfo, the changelog, the manual page and the resource script"
