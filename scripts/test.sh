#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh             plain build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
options=(-DLUMOSPELL_WERROR=ON -DBUILD_TESTING=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options+=(-DLUMOSPELL_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
scripts/install-deps.sh
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
