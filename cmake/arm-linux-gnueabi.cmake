# arm-linux-gnueabi.cmake: CMake toolchain file for building tomo for a
# 32-bit little-endian ARM Linux machine, as the GP2X is, with Debian's
# arm-linux-gnueabi cross compiler against an armel SDL 1.2 unpacked into a
# folder (tools/arm-test.sh makes one in build-arm/sysroot), and for running
# the results under qemu-arm.
#
#   cmake -S . -B build-arm \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake \
#         -DTOMO_SYSROOT=$PWD/build-arm/sysroot -DTOMO_CONSOLE=ON
#
# Pointing it at another toolchain, e.g. the console's own gcc and its SDL
# port, is a matter of these cache variables (-D on the command line):
#
#   TOMO_CROSS_PREFIX  prefix of the compiler's programs, with its path if it
#                      is not on PATH: "arm-linux-gnueabi-" by default, for
#                      instance /opt/gp2x/bin/arm-linux- for a console kit
#   TOMO_SYSROOT       the folder that holds SDL's headers, libraries and
#                      sdl.pc below usr/ (a kit usually has them in its own
#                      prefix: give that folder and set TOMO_PKG_LIBDIR)
#   TOMO_MULTIARCH     the library subfolder name below usr/lib and lib
#                      ("arm-linux-gnueabi"; empty for a kit's plain lib/)
#   TOMO_PKG_LIBDIR    where sdl.pc lies, if not in the usual places below
#                      TOMO_SYSROOT
#   TOMO_EXTRA_LINK    more link flags; a kit without libatomic, or with a
#                      gcc that inlines its atomics, wants "" in place of
#                      the default -latomic: see TOMO_LINK_ATOMIC
#   TOMO_LINK_ATOMIC   ON (default) to link -latomic, which gcc on ARMv5
#                      needs for std::atomic in the C++17 test build
#   TOMO_EMULATOR_CMD  how to run ARM programs here: qemu-arm -L <sysroot>
#
# A kit's own compiler often has its sysroot built in; then only the prefix
# and the folder with SDL are needed. The C++98 program builds with any
# gcc 4.x; the tests need C++17 and so a newer compiler.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(TOMO_CROSS_PREFIX "arm-linux-gnueabi-" CACHE STRING "Prefix of the cross compiler's programs")
set(TOMO_MULTIARCH "arm-linux-gnueabi" CACHE STRING "Library subfolder name below usr/lib")
if(NOT TOMO_SYSROOT)
  # The toolchain file is read again for every try_compile, where only the
  # environment carries the choice made at the first run.
  if(DEFINED ENV{TOMO_SYSROOT})
    set(TOMO_SYSROOT "$ENV{TOMO_SYSROOT}")
  elseif(CMAKE_BINARY_DIR)
    set(TOMO_SYSROOT "${CMAKE_BINARY_DIR}/sysroot")
  endif()
endif()
set(TOMO_SYSROOT "${TOMO_SYSROOT}" CACHE PATH "Folder with the target's SDL and runtime libraries")
set(ENV{TOMO_SYSROOT} "${TOMO_SYSROOT}")
set(TOMO_LINK_ATOMIC ON CACHE BOOL "Link -latomic (gcc's atomics on ARMv5)")
set(TOMO_EXTRA_LINK "" CACHE STRING "More link flags for the target")

set(CMAKE_C_COMPILER "${TOMO_CROSS_PREFIX}gcc")
set(CMAKE_CXX_COMPILER "${TOMO_CROSS_PREFIX}g++")

# The compiler keeps its own C library (Debian: /usr/arm-linux-gnueabi);
# the folder adds SDL and the libraries SDL itself links to. Programs
# (pkg-config, sh, cmp) are the build machine's.
set(CMAKE_FIND_ROOT_PATH "${TOMO_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the target's .pc files, and prefixes the paths it
# prints (sdl.pc says prefix=/usr) with the folder.
if(TOMO_MULTIARCH)
  set(_tomo_libdirs
    "${TOMO_SYSROOT}/usr/lib/${TOMO_MULTIARCH}"
    "${TOMO_SYSROOT}/lib/${TOMO_MULTIARCH}"
    "${TOMO_SYSROOT}/usr/lib/${TOMO_MULTIARCH}/pulseaudio")
else()
  set(_tomo_libdirs "${TOMO_SYSROOT}/usr/lib" "${TOMO_SYSROOT}/lib")
endif()
if(NOT TOMO_PKG_LIBDIR)
  set(TOMO_PKG_LIBDIR
    "${TOMO_SYSROOT}/usr/lib/${TOMO_MULTIARCH}/pkgconfig:${TOMO_SYSROOT}/usr/lib/pkgconfig:${TOMO_SYSROOT}/usr/share/pkgconfig")
endif()
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${TOMO_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR} "${TOMO_PKG_LIBDIR}")
set(ENV{PKG_CONFIG_PATH} "")

# SDL's own dependencies (ALSA, PulseAudio, X11, ...) are found through
# -rpath-link at link time; they are not linked into our programs.
set(_tomo_link "")
foreach(dir ${_tomo_libdirs})
  string(APPEND _tomo_link " -Wl,-rpath-link,${dir}")
endforeach()
if(TOMO_EXTRA_LINK)
  string(APPEND _tomo_link " ${TOMO_EXTRA_LINK}")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_tomo_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_tomo_link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_tomo_link}")
if(TOMO_LINK_ATOMIC)
  set(CMAKE_CXX_STANDARD_LIBRARIES "-latomic" CACHE STRING "Libraries linked into every C++ target")
endif()

# CTest and gtest_discover_tests run the test programs through this; the
# end-to-end tests start the programs with it too, by its full path, since
# they run them with a bare environment.
find_program(TOMO_QEMU_ARM qemu-arm)
if(NOT TOMO_QEMU_ARM)
  set(TOMO_QEMU_ARM qemu-arm)
endif()
set(TOMO_EMULATOR_CMD "${TOMO_QEMU_ARM};-L;${TOMO_SYSROOT}" CACHE STRING "Runs target programs on the build machine")
set(CMAKE_CROSSCOMPILING_EMULATOR "${TOMO_EMULATOR_CMD}")
