#!/usr/bin/env bash
# Our figures and the peers' on the same text, in one run, as ratios: the
# libraries (bench/peers/peers_bench), the programs end to end with their
# peak memory (`lumospell list`, `aspell list`, `hunspell -l`), start-up
# on an empty text, and the builder against the grep | sort -u pipeline
# (bench/builder/build_bench).  Installs the peers' packages when missing.
#
# Usage: bench/peers.sh [BUILD_DIR]   (default build-peers, Release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-peers}
case $build in /*) ;; *) build=$root/$build ;; esac
"$root/scripts/install-deps.sh" aspell aspell-en hunspell hunspell-en-us libaspell-dev \
  libhunspell-dev libnuspell-dev time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMOSPELL_BENCH=ON \
  -DLUMOSPELL_BENCH_PEERS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target peers_bench build_bench lumospell default_dictionary >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/xdg LC_ALL=C.UTF-8
for _ in 1 2 3 4 5 6; do cat "$root"/data/prose/*.txt; done > "$work/text.txt"
: > "$work/empty.txt"

"$build/bin/peers_bench" "$root"/data/prose/*.txt
echo

# run INPUT COMMAND...: median of three, user+system seconds and peak KiB.
run() {
  local input=$1; shift
  for _ in 1 2 3; do
    /usr/bin/time -f '%U %S %M' -o "$work/t" "$@" < "$input" > /dev/null 2>&1 || true
    cat "$work/t"
  done | awk '{ print $1 + $2, $3 }' | sort -n | sed -n 2p
}
printf 'Programs on %s bytes (processor seconds, median of 3; peak memory)\n' \
  "$(wc -c < "$work/text.txt")"
read -r ours ours_kib <<< "$(run "$work/text.txt" "$build/bin/lumospell" list)"
for row in "aspell list:aspell -l en list" "hunspell -l:hunspell -d en_US -l"; do
  IFS=: read -r name command <<< "$row"
  # shellcheck disable=SC2086
  read -r t kib <<< "$(run "$work/text.txt" $command)"
  awk -v n="$name" -v t="$t" -v k="$kib" -v o="$ours" \
    'BEGIN { printf "  %-14s %7.3f s %7.1f MiB   lumospell list %.2fx faster\n",
             n, t, k / 1024, t / o }'
done
awk -v t="$ours" -v k="$ours_kib" \
  'BEGIN { printf "  %-14s %7.3f s %7.1f MiB\n", "lumospell list", t, k / 1024 }'
# startup COMMAND...: milliseconds of one run on an empty text, wall time
# over 20 runs (processor time is counted in 10 ms steps).
startup() {
  local t
  t=$( { TIMEFORMAT=%R
         time for _ in $(seq 20); do "$@" < "$work/empty.txt" > /dev/null; done; } 2>&1 )
  awk -v t="$t" 'BEGIN { printf "%.1f", t * 50 }'
}
printf '  start-up on an empty text: lumospell list %s ms, aspell list %s ms\n\n' \
  "$(startup "$build/bin/lumospell" list)" "$(startup aspell -l en list)"

"$build/bin/build_bench"
