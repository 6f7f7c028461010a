#!/usr/bin/env bash
# Compares the engine with hunspell on the same text in one run:
#   verification: our words/second against `hunspell -l` over the prose;
#   suggestions:  our time per misspelt word against `hunspell -a`.
# hunspell's start-up (loading its dictionary, timed on empty input) is
# taken off its times, as our figures exclude loading the word list too.
#
# Usage: bench/compare.sh [BUILD_DIR] [SAMPLE]
#   BUILD_DIR  build tree with -DLUMOSPELL_BENCH=ON (default build-bench;
#              configured and built when engine_bench is missing)
#   SAMPLE     number of misspellings to time (default 400, spread evenly
#              over the list; 0 for all of them: hunspell needs minutes)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
sample=${2:-400}
case $build in /*) ;; *) build=$root/$build ;; esac

if ! command -v hunspell >/dev/null || [ ! -e /usr/share/hunspell/en_US.dic ]; then
    echo "installing hunspell and hunspell-en-us" >&2
    if [ "$(id -u)" -eq 0 ]; then sudo=; else sudo=sudo; fi
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq hunspell hunspell-en-us >/dev/null
fi

bench=$(find "$build" -name engine_bench -type f -perm -u+x 2>/dev/null | head -n 1)
if [ -z "$bench" ]; then
    cmake -S "$root" -B "$build" -DLUMOSPELL_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j2 --target engine_bench >/dev/null
    bench=$(find "$build" -name engine_bench -type f -perm -u+x | head -n 1)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

prose_files=("$root"/data/prose/*.txt)
cat "${prose_files[@]}" >"$work/prose.txt"
prose_list=$(IFS=:; echo "${prose_files[*]}")

# Single-word misspellings only (letters, apostrophes, hyphens).
awk -F'\t' '!/^#/ && $1 ~ /^[A-Za-z'"'"'-]+$/ { print $1 }' \
    "$root/data/misspellings/misspellings-wikipedia.tsv" >"$work/all-words.txt"
total=$(wc -l <"$work/all-words.txt")
if [ "$sample" -le 0 ] || [ "$sample" -ge "$total" ]; then
    cp "$work/all-words.txt" "$work/words.txt"
else
    awk -v n="$sample" -v total="$total" \
        'BEGIN { step = total / n } NR > next_pick { print; next_pick += step }' \
        "$work/all-words.txt" | head -n "$sample" >"$work/words.txt"
fi
words=$(wc -l <"$work/words.txt")

echo "ours: $bench"
LUMOSPELL_PROSE=$prose_list LUMOSPELL_MISSPELLINGS=$work/words.txt \
    "$bench" --benchmark_format=json --benchmark_out="$work/ours.json" \
    --benchmark_out_format=json >/dev/null

# value NAME-PREFIX KEY: a field of one benchmark in the JSON output.
value() {
    awk -v bm="\"name\": \"$1" -v key="\"$2\":" '
        index($0, bm) { inside = 1 }
        inside && $1 == key { gsub(/[,"]/, "", $2); print $2 + 0; exit }' "$work/ours.json"
}

prose_words=$(value BM_VerifyProse words)
verify_ms=$(value BM_VerifyProse real_time)
verify_cpu_ms=$(value BM_VerifyProse cpu_time)
mean_us=$(value BM_SuggestMisspellings mean_us)
p99_us=$(value BM_SuggestMisspellings p99_us)

# seconds COMMAND...: prints "wall cpu" of one run, the fastest of three.
seconds() {
    local best_wall= best_cpu=
    for _ in 1 2 3; do
        local t
        t=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )
        read -r wall user sys <<<"$t"
        local cpu
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
            best_wall=$wall best_cpu=$cpu
        fi
    done
    echo "$best_wall $best_cpu"
}
spell_list() { hunspell -d en_US -l <"$1"; }
spell_pipe() { sed 's/^/^/' "$1" | hunspell -d en_US -a; }

: >"$work/empty.txt"
read -r start_wall start_cpu <<<"$(seconds spell_list "$work/empty.txt")"
read -r list_wall list_cpu <<<"$(seconds spell_list "$work/prose.txt")"
read -r pipe_wall pipe_cpu < <(
    TIMEFORMAT='%R %U %S'
    { time spell_pipe "$work/words.txt" >/dev/null 2>&1; } 2>&1 |
        awk '{ printf "%s %.3f\n", $1, $2 + $3 }')

awk -v words="$prose_words" -v bytes="$(wc -c <"$work/prose.txt")" \
    -v ms="$verify_ms" -v cpu_ms="$verify_cpu_ms" \
    -v mean="$mean_us" -v p99="$p99_us" -v n="$words" \
    -v sw="$start_wall" -v sc="$start_cpu" -v lw="$list_wall" -v lc="$list_cpu" \
    -v pw="$pipe_wall" -v pc="$pipe_cpu" -v version="$(hunspell -v 2>/dev/null | head -n 1)" '
BEGIN {
    ours_wps = words / (ms / 1000); ours_cpu_wps = words / (cpu_ms / 1000)
    hs_wall = lw - sw; hs_cpu = lc - sc
    hs_wps = words / hs_wall; hs_cpu_wps = words / hs_cpu
    hs_word_ms = (pw - sw) / n * 1000; hs_word_cpu_ms = (pc - sc) / n * 1000
    printf "hunspell: %s, dictionary en_US; start-up %.3f s wall (%.3f s CPU) taken off\n\n", version, sw, sc
    printf "Verification, %d bytes of prose, %d words\n", bytes, words
    printf "  ours      %12.0f words/s wall  %12.0f words/s CPU\n", ours_wps, ours_cpu_wps
    printf "  hunspell  %12.0f words/s wall  %12.0f words/s CPU   (hunspell -l)\n", hs_wps, hs_cpu_wps
    printf "  ratio     %12.1fx wall        %12.1fx CPU   (target 20x)\n\n", ours_wps / hs_wps, ours_cpu_wps / hs_cpu_wps
    printf "Suggestions, %d misspelt words\n", n
    printf "  ours      %10.1f us/word mean (p99 %.1f us), wall\n", mean, p99
    printf "  hunspell  %10.1f us/word wall, %.1f us/word CPU   (hunspell -a)\n", hs_word_ms * 1000, hs_word_cpu_ms * 1000
    printf "  ratio     %10.0fx faster per word (wall)   (target 100x)\n", hs_word_ms * 1000 / mean
}'
