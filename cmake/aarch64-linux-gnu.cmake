# Cross-compiles the Linux programs for 64-bit ARM with Debian's cross
# compiler (package g++-aarch64-linux-gnu) and runs what it builds under
# qemu-user (package qemu-user):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The Debian package's dependencies are worked out by dpkg-shlibdeps, which
# needs the target's C library in the machine's package database (multiarch:
# dpkg --add-architecture arm64, then package libc6:arm64).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
# Debian's name for the architecture, for the package.
set(RX50ORDER_DEBIAN_ARCHITECTURE arm64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(RX50ORDER_QEMU qemu-aarch64)
if(RX50ORDER_QEMU)
    # The target's loader and C library from the cross compiler's own copy.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${RX50ORDER_QEMU} -L /usr/aarch64-linux-gnu)
endif()
