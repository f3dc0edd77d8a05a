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
# From / rather than the cross toolchain's own /usr/TRIPLET, on which Qt programs spin at start.
exec "qemu-$cpu" -L / "$@"
