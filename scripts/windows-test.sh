#!/usr/bin/env bash
# Cross-builds the Windows DLLs with mingw-w64 and tests them under Wine,
# headless (Wine's null driver; the example host on a private Xvfb):
#   build-win32/  32-bit, the libraries' real target: export tables,
#                 imports, dialog template, version resources, record
#                 layouts; under a 32-bit Wine prefix the host, platform,
#                 ranker and calling-convention tests (code pages 932 and
#                 1252), the example host, and the release zip unpacked
#                 into a clean prefix with the example host run from it
#   build-win64/  64-bit: the same checks and the host, platform and
#                 ranker tests
# Both make their release zip (build-win*/LumoSpell-*.zip) with cpack.
# Both run in the Debian root that scripts/windows-root.sh makes once per
# machine, with this tree bound into it; this machine's own architectures
# and package sources are left alone.  When that root cannot be had, both
# architectures are still built here and every check that needs no Wine is
# run.  Every Wine step has its own CTest time limit.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/apt.sh

if ! grep -q 'cmake/windows.cmake' CMakeLists.txt; then
  echo "windows-test: CMakeLists.txt does not include cmake/windows.cmake on WIN32" >&2
  exit 1
fi

build_and_test() {
  local jobs build dir
  jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
  for build in win32:i686 win64:x86_64; do
    dir=build-${build%%:*}
    # Wine, Xvfb and ImageMagick looked for anew: a build folder may have
    # been configured in the root before and be built here now, or the other way.
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-mingw-${build##*:}.cmake" \
      -DLUMOSPELL_WERROR=ON -ULUMOSPELL_WINE -ULUMOSPELL_XVFB -ULUMOSPELL_IMPORT >/dev/null
    cmake --build "$dir" -j"$jobs"
    # The release zip, which a test unpacks into a clean prefix.
    (cd "$dir" && cpack -G ZIP >/dev/null && ls -l LumoSpell-*.zip)
  done
  ctest --test-dir build-win32 --output-on-failure
  ctest --test-dir build-win64 --output-on-failure
}

if [ "${1:-}" = --inside ]; then
  build_and_test
  exit
fi

reason=""
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if [ -n "${LUMOSPELL_NO_WINE_ROOT:-}" ]; then
  reason="LUMOSPELL_NO_WINE_ROOT is set"
elif ! scripts/windows-root.sh 2>"$log" >/dev/null; then
  tail -n 20 "$log" >&2
  reason=$(tail -n 1 "$log")
fi
if [ -z "$reason" ]; then
  exec scripts/windows-root.sh run "$PWD" bash scripts/windows-test.sh --inside
fi

echo "windows-test: NO WINE ($reason): building both architectures here and running only the checks that need no Wine" >&2
apt_install cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
build_and_test
