#!/usr/bin/env bash
# Ranked suggestions beside the engine's own order, aspell and hunspell
# (each with its en_US dictionary), on both halves of the Wikipedia
# misspellings, in one run.  Installs the peers when they are missing.
#
# Usage: bench/compare_ranker.sh [BUILD_DIR] [HUNSPELL_EVERY]
#   BUILD_DIR       build tree with -DLUMOSPELL_BENCH=ON (default build-bench)
#   HUNSPELL_EVERY  time hunspell on every K-th row only (default 1: all
#                   rows, about two minutes)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
every=${2:-1}
case $build in /*) ;; *) build=$root/$build ;; esac

"$root/scripts/install-deps.sh" aspell aspell-en hunspell hunspell-en-us
cmake -S "$root" -B "$build" -DLUMOSPELL_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target ranker_compare >/dev/null
"$build/bin/ranker_compare" --hunspell-every "$every"
