# What the release and the Windows and web builds share, for the scripts that source this file
# from the checkout's top: the version, where the apt repository is published, and the zip that
# holds the same bytes on every machine.
version=$(sed -n 's/^project(Kubrisk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
apt_url=https://kubrisk.org/apt/

# reproducible_zip PARENT NAME ZIP: the folder PARENT/NAME into ZIP, an absolute path, with the
# commit's time, fixed permissions and order.
reproducible_zip() {
    find "$1/$2" -type f -exec chmod 644 {} +
    find "$1/$2" -type d -exec chmod 755 {} +
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$3"
    (cd "$1" && find "$2" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$3" -@)
}
