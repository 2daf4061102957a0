# Cross-compiles the Windows build on Linux with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix).
# Programs are linked statically, so nothing but the programs themselves goes to a Windows machine;
# under Wine they run from the build tree (CMAKE_CROSSCOMPILING_EMULATOR), which is how the tests of
# the Windows build run on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libstdc++, libgcc or winpthread DLL beside the programs: without them a dynamically linked
# program does not start at all, and under Wine it fails without a word.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit Wine loader in Wine's library folder, not on PATH.
find_program(XQ_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT XQ_WINE64)
    find_program(XQ_WINE64 NAMES wine64 wine)
endif()
if(XQ_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${XQ_WINE64})
endif()
