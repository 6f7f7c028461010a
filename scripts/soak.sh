#!/usr/bin/env bash
# Soak: a long session through the built libraries (bench/soak), checking
# MEGABYTES of real prose in 16 KB pieces with suggestions for every
# reported word and periodic additions.  Prints resident and peak memory
# and open descriptors at intervals.  Not a test: a figure to look at.
#
#   scripts/soak.sh [MEGABYTES [REPORT_EVERY_MB]]   (default 64 and 8)
set -euo pipefail
cd "$(dirname "$0")/.."
build="build-hard"
scripts/install-deps.sh
cmake -S . -B "$build" -DLUMOSPELL_WERROR=ON -DLUMOSPELL_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target soak default_dictionary
"$build/bin/soak" "${1:-64}" "${2:-8}"
