#!/bin/sh
# arm-test.sh: builds the console flavour and every test for 32-bit
# little-endian ARM (Debian's arm-linux-gnueabi against armel SDL 1.2) in
# build-arm/, and runs the whole test suite there under qemu-arm.
#
#   tools/arm-test.sh [ctest options...]   e.g. -R LineIndex, -E '^Flavours/'
#
# Installs what is missing (the cross compiler, qemu-user, the GoogleTest
# sources, the armel package lists) and unpacks Debian's armel SDL with the
# libraries it loads into build-arm/sysroot, once. The armel packages are
# only downloaded and unpacked, never installed: installing them through
# apt would replace and pin the machine's own libraries.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-arm"
sysroot="$build/sysroot"
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

# --- build machine packages ------------------------------------------------
# (the font and its converter make the BDF that the tests check the sheet,
# its table and the screen against)
"$top/tools/need.sh" cmake make pkg-config g++-arm-linux-gnueabi qemu-user googletest xfonts-base pcf2bdf

# --- armel sysroot -----------------------------------------------------------
# The runtime closure of SDL (its audio, X11 and caca libraries are linked
# to it even though the dummy drivers never use them), the C and C++
# runtimes the programs load under qemu, and SDL's headers and sdl.pc.
RUNTIME="libsdl1.2debian:armel libatomic1:armel libc6:armel libstdc++6:armel"
if [ ! -f "$sysroot/.complete" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx armel; then
        $SUDO dpkg --add-architecture armel
    fi
    if ! apt-cache show libsdl1.2-dev:armel >/dev/null 2>&1; then
        $SUDO apt-get update
    fi
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests \
                  --no-conflicts --no-breaks --no-replaces --no-enhances $RUNTIME |
              grep -v '^[ <]' | sort -u)
    rm -rf "$sysroot" "$build/debs"
    mkdir -p "$build/debs"
    # apt-get download writes to the working directory, as the user that
    # runs it (apt's sandbox user must be able to write there when root).
    (cd "$build/debs" && apt-get download $closure libsdl1.2-dev:armel)
    mkdir -p "$sysroot"
    for deb in "$build"/debs/*.deb; do
        dpkg -x "$deb" "$sysroot"
    done
    test -f "$sysroot/usr/lib/arm-linux-gnueabi/pkgconfig/sdl.pc"
    test -e "$sysroot/lib/ld-linux.so.3"
    rm -rf "$build/debs"
    touch "$sysroot/.complete"
fi

# --- build -------------------------------------------------------------------
# First the program alone as C++98 -pedantic, the way a console kit's old
# gcc builds it, then everything with the tests.
cmake -S "$top" -B "$build/c++98" \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/arm-linux-gnueabi.cmake" \
      -DTOMO_SYSROOT="$sysroot" -DTOMO_CONSOLE=ON -DTOMO_CXX98=ON -DTOMO_WERROR=ON >/dev/null
cmake --build "$build/c++98" --target tomo -j"$(nproc)"
echo "arm-test: the console flavour builds for ARM as C++98"
cmake -S "$top" -B "$build" \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/arm-linux-gnueabi.cmake" \
      -DTOMO_SYSROOT="$sysroot" -DTOMO_CONSOLE=ON \
      -DTOMO_TESTS=ON -DTOMO_WERROR=ON >/dev/null
start=$(date +%s)
cmake --build "$build" -j"$(nproc)"
echo "arm-test: cross build took $(( $(date +%s) - start )) s"

# --- test under qemu-arm -------------------------------------------------------
# Test folders go to a tmpfs. On ext4 the host kernel hands a process that
# it takes for 64-bit (qemu-arm itself) 64-bit directory cookies, which the
# 32-bit readdir of the ARM programs cannot pass on: it fails with
# EOVERFLOW and lists nothing. A real 32-bit kernel, or a 64-bit one
# running 32-bit programs, gives them 32-bit cookies; tmpfs numbers its
# entries, so it behaves the same everywhere.
# The tests make (and remove) their folders right in it: some end-to-end
# tests need the start folder's path to stay short enough for the program's
# 99-character path.
tmp=""
for d in /dev/shm /run/shm; do
    if [ -d "$d" ] && [ -w "$d" ]; then tmp=$d; break; fi
done
if [ -z "$tmp" ]; then
    echo "arm-test: no tmpfs found for the test folders; listings may come out empty" >&2
    tmp=${TMPDIR:-/tmp}
fi

# Left out under the emulator, each for a reason of the emulator's, not of
# the program's:
#  - font_sheet_reproducible, font_placement, font_refuses_*,
#    icon_reproducible: shell pipelines around the host tools mkfont and
#    mkicon that start the ARM build of them directly, which only a binfmt
#    handler could run; they are developer's tools of the build machine
#    anyway.
#  - DirlistTest.RootListsDotDotWithDoubleSlashPaths: lists the build
#    machine's own "/", on ext4 (see above).
skip='^(font_sheet_reproducible|font_placement|font_refuses_.*|icon_reproducible|DirlistTest\.RootListsDotDotWithDoubleSlashPaths)$'

cd "$build"
start=$(date +%s)
status=0
TMPDIR="$tmp" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    ctest --output-on-failure -j"$(nproc)" -E "$skip" "$@" || status=$?
echo "arm-test: tests under qemu-arm took $(( $(date +%s) - start )) s"
exit $status
