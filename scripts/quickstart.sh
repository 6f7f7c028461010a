#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds everything that
# installs (`cmake --install build --prefix P` works right after), and
# checks the sample text with the default dictionary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The tests are built by scripts/test.sh, which turns them on again.
cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)"
echo "== lumospell check data/sample/sample.txt"
status=0
build/bin/lumospell check data/sample/sample.txt || status=$?
# 1 only says that misspelt words were found.
[ "$status" -le 1 ]
