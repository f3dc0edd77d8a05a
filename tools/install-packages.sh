#!/bin/sh
# Installs the Debian packages named as arguments that are not installed yet: directly as root,
# through sudo otherwise. Where neither is possible it prints the command to run and fails.
if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "Not a Debian system: installing nothing. The build needs CMake 3.16 or later, a C++17" \
        "compiler, Qt 5.15 or 6.4+ with Widgets and Test, and a font with Chinese glyphs." >&2
    exit 0
fi
missing=
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

command="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=
elif command -v sudo >/dev/null 2>&1; then
    sudo=sudo
else
    echo "Missing packages:$missing. As root, run: apt-get update && $command" >&2
    exit 1
fi

echo "Installing missing packages:$missing"
apt_get() {
    $sudo sh "$(dirname "$0")/apt-get.sh" "$@"
}
# shellcheck disable=SC2086
if ! apt_get update -q || ! apt_get ${command#apt-get } -q; then
    echo "Could not install:$missing. As root, run: apt-get update && $command" >&2
    exit 1
fi
