#!/bin/sh
# Makes the Windows installer of VERSION that installs the files of FOLDER, with kubrisk.nsi:
# its uninstaller removes exactly those files, then their folders, deepest first.
#   installer.sh VERSION FOLDER INSTALLER.exe
set -eu
here=$(cd "$(dirname "$0")" && pwd)
list=$(mktemp)
trap 'rm -f "$list"' EXIT
(cd "$2" && find . -type f | LC_ALL=C sort | sed 's|^|Delete |'
    find . -mindepth 1 -type d | LC_ALL=C sort -r | sed 's|^|RMDir |') \
    | sed 's|/|\\|g; s| \.\(.*\)| "$INSTDIR\1"|' > "$list"
rm -f "$3"
makensis -V2 -DVERSION="$1" -DFOLDER="$(realpath "$2")" -DOUTFILE="$(realpath -m "$3")" \
    -DUNINSTALL="$list" -DICON="$here/../resources/main.ico" "$here/kubrisk.nsi"
