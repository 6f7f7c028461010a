#!/usr/bin/env bash
# Cross-builds the Windows DLLs with mingw-w64 and tests them under Wine,
# headless (Wine's null driver; the example host on a private Xvfb):
#   build-win32/  32-bit, the libraries' real target: export tables,
#                 imports, dialog template, record layouts; under a 32-bit
#                 Wine prefix the host, platform and calling-convention
#                 tests (code pages 932 and 1252) and the example host
#   build-win64/  64-bit: the same checks and the host and platform tests
# Installs the cross compilers, Wine (wine64, and wine32 with the i386
# architecture added to dpkg), Xvfb, ImageMagick and the locale sources
# when missing.  Every Wine step has its own CTest time limit.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! grep -q 'cmake/windows.cmake' CMakeLists.txt; then
  echo "windows-test: CMakeLists.txt does not include cmake/windows.cmake on WIN32" >&2
  exit 1
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"; }

packages=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine32:i386 locales
          xvfb x11-apps imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
for build in win32:i686 win64:x86_64; do
  dir=build-${build%%:*}
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-${build##*:}.cmake" \
    -DLUMOSPELL_WERROR=ON >/dev/null
  cmake --build "$dir" -j"$jobs" --target orthex orthbridge lexforge windows_tests
done
ctest --test-dir build-win32 --output-on-failure
ctest --test-dir build-win64 --output-on-failure
