#!/bin/sh
# What Windows reads from the executable is exactly what the resource script compiles to, all in
# US English: main.ico's one image, byte for byte, and the version block's values.
#   check-windows-resources.sh WINDRES EXECUTABLE SCRIPT
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
    = "1 VERSIONINFO| FILEVERSION 1, 0, 0, 0| PRODUCTVERSION 7, 0, 0, 0| FILEOS 0x40000|\
 FILETYPE 0x1|BEGIN" ] || fail "the version block's fixed part is not as expected"
for value in 'Has 1 elements' '"\000\000\000\000", 1, 32, 0x42028L, 1' 'BLOCK "080404e4"' \
    'VALUE "FileVersion", "1.0.0.0"' 'VALUE "ProductVersion", "1.0.0.0"' \
    'VALUE "PrivateBuild", "1.0"' 'VALUE "ProductName", "Kubrisk"' \
    'VALUE "FileDescription", "Kubrisk"' 'VALUE "Translation", 0x804, 1252'; do
    grep -qF "$value" "$out/executable.rc" || fail "the resources lack $value"
done
echo "kubrisk.exe carries IDI_ICON1 (one image, main.ico's) and the version block"
