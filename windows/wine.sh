#!/bin/sh
# Runs a Windows program of the build under Wine, with Qt's and the compiler's DLLs on Wine's
# path. Wine hides the QT_ variables from Windows programs and hands on WINEQT_ ones instead. A
# program without a console would log to the debugger, which is not there.
#   wine.sh QT PROGRAM [ARGUMENT...]
qt=$1
shift
# A Unix folder as Wine names it: drive Z, backslashes.
windows_path() {
    printf 'Z:%s' "$(realpath "$1" | tr / '\\')"
}
# The folder of one of the compiler's runtime DLLs.
runtime() {
    windows_path "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name="$1")")"
}
WINEPATH="$(windows_path "$qt/bin");$(runtime libstdc++-6.dll);$(runtime libwinpthread-1.dll)"
for variable in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    export "WINE$variable=$(printenv "$variable")"
done
# Qt 6 looks for its plugins beside the program, not beside its DLLs.
export WINEQT_PLUGIN_PATH="${WINEQT_PLUGIN_PATH:-$(windows_path "$qt/plugins")}"
export WINEQT_FORCE_STDERR_LOGGING=1 WINEPATH WINEDEBUG="${WINEDEBUG:--all}" \
    WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
