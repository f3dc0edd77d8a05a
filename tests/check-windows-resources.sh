#!/bin/sh
# Compiles the Windows resource script, prints the result back as a script and checks the values
# that the executable must carry.
set -e
windres=$1
script=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cd "$(dirname "$script")"
"$windres" --preprocessor=cpp -i "$(basename "$script")" -o "$out/kubrisk.res"
"$windres" -J res -i "$out/kubrisk.res" -O rc > "$out/kubrisk.rc"
for expected in '"IDI_ICON1" 14' '0x42028L, 1' 'LANGUAGE 9, 1' 'FILEVERSION 1, 0, 0, 0' \
    'PRODUCTVERSION 7, 0, 0, 0' 'FILEOS 0x40000' 'FILETYPE 0x1' 'BLOCK "080404e4"' \
    'VALUE "FileVersion", "1.0.0.0"' 'VALUE "ProductVersion", "1.0.0.0"' \
    'VALUE "PrivateBuild", "1.0"' 'VALUE "ProductName", "Kubrisk"' \
    'VALUE "FileDescription", "Kubrisk"' 'VALUE "Translation", 0x804, 1252'; do
    if ! grep -qF "$expected" "$out/kubrisk.rc"; then
        echo "the compiled Windows resources lack: $expected"
        exit 1
    fi
done
echo "Windows resources: icon group IDI_ICON1 (270,376-byte image) and the version block"
