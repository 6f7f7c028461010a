# Cross-builds the Windows libraries for 32-bit Windows with Debian's
# mingw-w64 (packages g++-mingw-w64-i686-posix, binutils-mingw-w64-i686):
#   cmake -S . -B build-win32 --toolchain cmake/toolchain-mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LUMOSPELL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
