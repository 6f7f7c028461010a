#!/usr/bin/env bash
# Ranked suggestions beside the engine's own order, aspell and hunspell
# (each with its en_US dictionary), on both halves of the Wikipedia
# misspellings, in one run.  Installs the peers when they are missing.
#
# Usage: bench/compare_ranker.sh [BUILD_DIR] [HUNSPELL_EVERY] [LANG]
#   BUILD_DIR       build tree with -DLUMOSPELL_BENCH=ON (default build-bench)
#   HUNSPELL_EVERY  time hunspell on every K-th row only (default 1: all
#                   rows, about two minutes)
#   LANG            en_US, en_GB, en_CA or en_AU: that variant beside the
#                   peers' dictionaries of it; "all": each in turn; none:
#                   the default main.dic beside the en_US peers
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
every=${2:-1}
lang=${3:-}
case $build in /*) ;; *) build=$root/$build ;; esac

"$root/scripts/install-deps.sh" aspell aspell-en hunspell hunspell-en-us hunspell-en-gb \
  hunspell-en-ca hunspell-en-au
cmake -S "$root" -B "$build" -DLUMOSPELL_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target ranker_compare >/dev/null
if [ "$lang" = all ]; then
  for v in en_US en_GB en_CA en_AU; do
    "$build/bin/ranker_compare" --hunspell-every "$every" --lang "$v"
  done
elif [ -n "$lang" ]; then
  "$build/bin/ranker_compare" --hunspell-every "$every" --lang "$lang"
else
  "$build/bin/ranker_compare" --hunspell-every "$every"
fi
