#!/bin/sh
# The Windows packages of VERSION, PACKAGES.zip and PACKAGES-installer.exe, as a player meets them:
# the zip's program with the resources that SCRIPT compiles to; the installer over an older
# version, over a newer one and over the running game; and in the zip's folder the looks of
# Windows 11, light and dark, and 10 that SUITE (the suite; QTTEST, its Qt DLL) sees.
#   check-windows-packages.sh zip|installer|look PACKAGES VERSION SUITE QTTEST SCRIPT
set -eu
[ -n "${KUBRISK_CHECK_DISPLAY:-}" ] || KUBRISK_CHECK_DISPLAY=1 exec xvfb-run -a \
    -s "-screen 0 1280x1024x24 -noreset" sh "$0" "$@"
work=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'for prefix in "$work"/*/; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
    rm -rf "$work"' EXIT
fail() { printf 'FAIL: windows_%s: %s\n' "$check" "$*"; exit 1; }

check=$1 packages=$2 version=$3 suite=$4 qttest=$5 script=$6 name=$(basename "$2")
# fresh_prefix NAME [unzip]: a fresh Wine prefix on the virtual X server, with the zip unpacked in
# drive C where asked.
fresh_prefix() {
    export WINEPREFIX="$work/$1"
    wineboot -i 2>/dev/null && wineserver -w
    folder=$WINEPREFIX/drive_c/$name
    [ -z "${2:-}" ] || unzip -q "$packages.zip" -d "$WINEPREFIX/drive_c"
}

. "$(dirname "$0")/../tools/lib/window.sh"
window_log=$work/game.log
# Starts the game, waits until its window titled Kubrisk is shown (at SIZE, if given), ends it.
shows_window() {
    window_show 20 wine "$1"
    wineserver -k && wineserver -w
    [ "$size" != none ] || fail "$1 showed no window titled Kubrisk within 20 s; its output:" \
        "$(cat "$work/game.log")"
    [ "${2:-$size}" = "$size" ] || fail "$1 showed its window at $size, not $2"
}

# A value of the uninstall entry as reg prints it: type and data.
entry() {
    wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kubrisk' /v "$1" \
        2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p"
}

if [ "$1" = look ]; then
    for case in "win11 1 windows11 light" "win11 0 windows11 dark" "win10 1 windowsvista light"; do
        set -- $case
        fresh_prefix "$1-$2" unzip
        wine winecfg -v "$1" && wineserver -w
        wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
            /v AppsUseLightTheme /t REG_DWORD /d "$2" /f > /dev/null 2>&1
        cp "$suite" "$qttest" "$folder"
        # Under Wine the suite's redirected output arrives empty: it writes its log to C: instead.
        log=$WINEPREFIX/drive_c/look.txt
        KUBRISK_LOOK="$3 $4" wine "C:\\$name\\$(basename "$suite")" construction look \
            -o 'C:\look.txt,txt' > /dev/null 2>&1 \
            || fail "$1 with AppsUseLightTheme $2: $(cat "$log")"
        echo "Windows ${1#win}, $4: $3;" $(sed -n 's/.*look() //p' "$log")
    done
    exit 0
fi

if [ "$1" = zip ]; then
    fresh_prefix zip unzip
    [ "$(unzip -Z1 "$2.zip" | cut -d/ -f1 | sort -u)" = "$name" ] || fail "not one folder $name"
    # Only drive C, so that the game finds nothing of the build, of Qt's build or of MinGW's.
    rm "$WINEPREFIX/dosdevices/z:"
    # Windows reads exactly the script's resources (the executable keeps no memory flags).
    rc="x86_64-w64-mingw32-windres -O rc -i"
    $rc "$folder/kubrisk.exe" > "$work/executable.rc"
    (cd "$(dirname "$script")" && $rc "$(basename "$script")") | sed 's/ MOVEABLE DISCARDABLE$//' \
        | diff - "$work/executable.rc" || fail "kubrisk.exe's resources are not those of $script"
    pe="x86_64-w64-mingw32-objdump -p"
    [ "$($pe "$folder/kubrisk.exe" | grep -c -e pei-x86-64 -e 'Subsystem.*Windows GUI')" = 2 ] \
        || fail "kubrisk.exe is no 64-bit GUI program"
    imported=$(find "$folder" -name '*.exe' -o -name '*.dll' | xargs -n1 $pe \
        | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    available=$(ls "$folder" "$WINEPREFIX/drive_c/windows/system32" | tr 'A-Z' 'a-z')
    # Windows resolves the API sets (api-ms-win-*) itself.
    ! echo "$imported" | grep -v '^api-ms-win-' | grep -vxF "$available" \
        || fail "imported, but missing: the DLLs above"
    # Nothing but the game, the DLLs that it imports, its two plugins and the licences.
    expected=$(printf '%s\n' kubrisk.exe platforms/qwindows.dll styles/qmodernwindowsstyle.dll \
        $imported)
    ! (cd "$folder" && find . -type f ! -path './licenses/*.txt' | cut -c3- | tr 'A-Z' 'a-z' \
        | grep -vxF "$expected") || fail "files that do not belong in the zip: those above"
    # The licences that docs/windows.md lists.
    for licence in Kubrisk-MIT Qt-LGPL-3.0 Qt-GPL-3.0 Qt-source Qt-third-party winpthreads \
        GCC-RUNTIME-LIBRARY-EXCEPTION; do
        [ -s "$folder/licenses/$licence.txt" ] || fail "the zip lacks licenses/$licence.txt"
    done
    # At Windows' display settings of 100, 125, 150 and 200 %, in device pixels.
    # Wine reads the scale as it starts, so the game waits for the session that set it to end.
    for scale in "96 275x350" "120 344x438" "144 413x525" "192 550x700"; do
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${scale% *}" /f \
            > /dev/null 2>&1 && wineserver -w
        shows_window 'C:\'"$name"'\kubrisk.exe' "${scale#* }"
    done
    echo "the unpacked zip runs on its own at 100 to 200 %, $(echo "$imported" | wc -l) DLLs found"
    exit 0
fi

# The installer over an older version, the same files with one more that this version lacks.
fresh_prefix installer unzip
older=$work/older/$name
mkdir -p "$older" && cp -r "$folder/." "$older" && echo older > "$older/older-only.txt"
sh "$(dirname "$script")/installer.sh" 0.0.1 "$older" "$work/older-installer.exe"
wine "$work/older-installer.exe" /S && wineserver -w
[ "$(entry DisplayVersion)" = "REG_SZ 0.0.1" ] || fail "the older version is not installed"
wine "$2-installer.exe" /S && wineserver -w || fail "the installer stopped over version 0.0.1"
folder=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Kubrisk' -type d)
[ -f "$folder/kubrisk.exe" ] || fail "nothing installed in %LOCALAPPDATA%\\Programs\\Kubrisk"
# files FOLDER: its files with their MD5 sums.
files() { (cd "$1" && find . -type f -exec md5sum {} + | LC_ALL=C sort -k2); }
installed=$(files "$folder")
[ "$installed" = "$( (files "$WINEPREFIX/drive_c/$name"; cd "$folder" && md5sum ./uninstall.exe) \
    | LC_ALL=C sort -k2)" ] || fail "installed over 0.0.1, other files than the zip's: $installed"
[ "$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null \
    | grep -c 'DisplayName.*Kubrisk')" = 1 ] || fail "not one uninstall entry"
where=$(entry InstallLocation | sed 's/^REG_SZ //')
[ "$(realpath "$(winepath -u "$where")")" = "$folder" ] || fail "InstallLocation is $where"
for value in "DisplayName REG_SZ Kubrisk" "DisplayVersion REG_SZ $3" \
    "Publisher REG_SZ The Kubrisk developers" "DisplayIcon REG_SZ $where\\kubrisk.exe" \
    "UninstallString REG_SZ \"$where\\uninstall.exe\""; do
    [ "$(entry "${value%% *}")" = "${value#* }" ] || fail "the uninstall entry lacks $value"
done
kib=$(entry EstimatedSize | sed -n 's/^REG_DWORD 0x//p')
[ "$((0x${kib:-0}))" -gt 10000 ] || fail "the uninstall entry gives no size"
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Kubrisk.lnk')
[ -n "$shortcut" ] || fail "no Start-menu shortcut"
echo "installed over 0.0.1: one entry, the files of the zip and no other"

# refuses CODE WHAT INSTALLER: the installer must stop with CODE and leave the install as it was.
refuses() {
    code=0
    wine "$3" /S || code=$?
    [ "$code" = "$1" ] && [ "$(files "$folder")" = "$installed" ] \
        && [ "$(entry DisplayVersion)" = "REG_SZ $version" ] || fail "$2: exit code $code, not $1"
    echo "$2: the installer refuses, exit code $code, and changes nothing"
}
refuses 3 "0.0.1 over $version" "$work/older-installer.exe"
# The shortcut names the installed game, which then runs from there.
grep -aqF "Programs\\Kubrisk\\kubrisk.exe" "$shortcut" || fail "the shortcut names no game"
window_show 30 wine "$folder/kubrisk.exe"
[ "$size" != none ] || fail "the installed game showed no window: $(cat "$window_log")"
refuses 4 "$version over the running game" "$2-installer.exe"
wineserver -k && wineserver -w

wine "$folder/uninstall.exe" /S && wineserver -w
[ ! -e "$folder" ] && [ ! -e "$shortcut" ] || fail "the uninstall left files behind"
[ -z "$(entry DisplayName)" ] || fail "the uninstall left the registry key"
echo "installed, shown (window $size), listed with $((0x$kib)) KiB, uninstalled: nothing left"
