#!/bin/sh
# Compiles the Windows resource script and prints the result back: the icon group must hold the
# whole 270,376-byte image of main.ico, and the version block must have compiled.
set -e
windres=$1
script=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cd "$(dirname "$script")"
"$windres" --preprocessor=cpp -i "$(basename "$script")" -o "$out/kubrisk.res"
"$windres" -J res -i "$out/kubrisk.res" -O rc > "$out/kubrisk.rc"
for expected in '"IDI_ICON1" 14' '0x42028L, 1' 'VALUE "ProductName", "Kubrisk"'; do
    grep -qF "$expected" "$out/kubrisk.rc" || { echo "the resources lack: $expected"; exit 1; }
done
echo "Windows resources: icon group IDI_ICON1 (270,376-byte image) and the version block"
