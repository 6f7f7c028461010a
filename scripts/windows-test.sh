#!/usr/bin/env bash
# Cross-builds the Windows DLLs with mingw-w64 and tests them:
#   build-win32/  32-bit (the libraries' real target): read, not run; the
#                 export tables, imports, dialog template, and the record
#                 layouts compiled in
#   build-win64/  64-bit: the same checks, and the host and platform test
#                 programs run under Wine (headless, in a prefix of its own)
# Installs the cross compilers, Wine and the locale sources when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! grep -q 'cmake/windows.cmake' CMakeLists.txt; then
  echo "windows-test: CMakeLists.txt does not include cmake/windows.cmake on WIN32" >&2
  exit 1
fi

packages=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq \
    --no-install-recommends "${missing[@]}"
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
