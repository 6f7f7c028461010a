# Cross-builds the Windows libraries for 64-bit Windows with Debian's
# mingw-w64 (packages g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64):
#   cmake -S . -B build-win64 --toolchain cmake/toolchain-mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LUMOSPELL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
