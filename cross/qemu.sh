#!/bin/sh
# Runs a program built for another Debian architecture under qemu-user, with the dynamic loader
# and the libraries that the architecture's multiarch packages install, or directly where this
# machine runs it, as a 64-bit x86 kernel usually runs 32-bit x86 programs.
#   qemu.sh ARCH PROGRAM [ARGUMENT...]
arch=$1
shift
case $arch in
amd64) cpu=x86_64 ;;
arm64) cpu=aarch64 ;;
armel | armhf) cpu=arm ;;
i386) /lib/ld-linux.so.2 --help > /dev/null 2>&1 && exec "$@"; cpu=i386 ;;
ppc64el) cpu=ppc64le ;;
*) cpu=$arch ;;
esac
# X.Org's server answers MIT-SHM's CreateSegment to a client of the other byte order with the
# reply's sequence number unswapped (ProcShmCreateSegment in 21.1), so that xcb takes the reply
# for another one, finds an unexpected file descriptor and drops the connection: Qt's "The X11
# connection broke (error 7)" as soon as a window is first drawn. Such a guest draws through
# plain PutImage instead. Only emulation pairs the two byte orders on one machine.
if [ "$(dpkg-architecture -a"$arch" -qDEB_HOST_ARCH_ENDIAN 2> /dev/null)" != \
    "$(dpkg-architecture -qDEB_BUILD_ARCH_ENDIAN 2> /dev/null)" ]; then
    export QT_XCB_NO_MITSHM=1
fi
# From / rather than the cross toolchain's own /usr/TRIPLET, on which Qt programs spin at start.
exec "qemu-$cpu" -L / "$@"
