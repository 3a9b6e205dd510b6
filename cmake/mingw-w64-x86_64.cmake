# Cross-compiles the Windows program with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64) and runs what it builds under Wine (package wine64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX threads flavour: GoogleTest needs std::mutex, which the win32
# flavour of this compiler lacks.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ runtime, libgcc and winpthread are linked
# in, so it needs no DLL that Windows itself lacks. No link time in its
# header, so that two builds of one commit give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

find_program(RX50ORDER_WINE wine)
if(RX50ORDER_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${RX50ORDER_WINE})
endif()
