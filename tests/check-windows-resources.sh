#!/bin/sh
# What Windows reads from the executable is exactly what the resource script compiles to, all in
# US English: main.ico's one image, byte for byte, and the version block, whose fixed part holds
# CMake's version as the file's and, as specified, 7.0.0.0 as the product's.
#   check-windows-resources.sh WINDRES EXECUTABLE SCRIPT VERSION
set -e
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { printf '%s\n' "$*"; exit 1; }
"$1" -i "$2" -O rc > "$out/executable.rc"
(cd "$(dirname "$3")" && "$1" -i "$(basename "$3")" -O rc) \
    | sed 's/ MOVEABLE DISCARDABLE$//' > "$out/script.rc" # an executable keeps no memory flags
diff "$out/script.rc" "$out/executable.rc" > "$out/diff" \
    || fail "the executable's resources are not the script's: $(head "$out/diff")"
[ "$(grep '^LANGUAGE' "$out/executable.rc" | sort -u)" = "LANGUAGE 9, 1" ] || fail "not US English"
# The fixed part leaves out what is 0: flags, mask, subtype and date.
[ "$(sed -n '/^1 VERSIONINFO$/,/^BEGIN$/p' "$out/executable.rc" | tr -s ' ' | paste -sd '|')" \
    = "1 VERSIONINFO| FILEVERSION $(echo "$4" | sed 's/\./, /g'), 0| PRODUCTVERSION 7, 0, 0, 0|\
 FILEOS 0x40000| FILETYPE 0x1|BEGIN" ] || fail "the version block's fixed part is not as expected"
echo "kubrisk.exe carries IDI_ICON1 (one image, main.ico's) and the version block"
