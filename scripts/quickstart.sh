#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds, and checks the
# sample text with the default dictionary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target lumospell default_dictionary ranker_index
echo "== lumospell check data/sample/sample.txt"
status=0
build/bin/lumospell check data/sample/sample.txt || status=$?
# 1 only says that misspelt words were found.
[ "$status" -le 1 ]
