# Cross-builds the Windows libraries for 32-bit Windows with Debian's
# mingw-w64 (packages g++-mingw-w64-i686-posix, binutils-mingw-w64-i686):
#   cmake -S . -B build-win32 --toolchain cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LUMOSPELL_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMOSPELL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMOSPELL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMOSPELL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMOSPELL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GoogleTest is not cross-built; the Windows tests live in tests/windows.
set(BUILD_TESTING OFF CACHE BOOL "Build the GoogleTest suites (not for Windows)")
