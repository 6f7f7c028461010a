#!/usr/bin/env bash
# Our figures and the peers' in one run, on the default main dictionary
# (main.dic with its table image): the libraries (bench/peers/peers_bench),
# start-up and peak memory of `lumospell list`, `check`, `pipe` and `lsp`
# (to its first diagnostics) beside aspell and hunspell and the libraries
# alone (examples/host opening main.dic and checking one word), the
# programs on a 10 MB text, and the builder against the grep | sort -u
# pipeline (bench/builder/build_bench).  Ours and the peers run interleaved,
# A B A B; each figure is the median and the best of the rounds, in
# processor time (user + system) with the peak memory of the runs.
# Installs the peers' packages when missing.
#
# Usage: bench/peers.sh [BUILD_DIR]   (default build-peers, Release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-peers}
case $build in /*) ;; *) build=$root/$build ;; esac
"$root/scripts/install-deps.sh" aspell aspell-en hunspell hunspell-en-us libaspell-dev \
  libhunspell-dev libnuspell-dev
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMOSPELL_BENCH=ON \
  -DLUMOSPELL_BENCH_PEERS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target peers_bench run_measure build_bench lumospell host \
  default_dictionary main_table_image ranker_index >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/xdg LC_ALL=C.UTF-8
for _ in 1 2 3 4 5 6; do cat "$root"/data/prose/*.txt; done > "$work/text.txt"
echo the > "$work/the.txt"
dict=$build/share/lumospell/main.dic
ours=$build/bin/lumospell
measure=$build/bin/run_measure
printf 'load average %s\n\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

"$build/bin/peers_bench" "$root"/data/prose/*.txt
echo

# compare ROUNDS INPUT NAME=COMMAND...: the commands in turn, round after
# round; the first is ours, the others are given as its multiple.
compare() {
  local rounds=$1 input=$2
  shift 2
  local names=() commands=() i
  for rival; do names+=("${rival%%=*}"); commands+=("${rival#*=}"); done
  : > "$work/runs"
  for _ in $(seq "$rounds"); do
    for i in "${!commands[@]}"; do
      # shellcheck disable=SC2086
      if [ "$input" = lsp ]; then
        # The exit only once the diagnostics are out (after the debounce).
        echo "$i $( { cat "$work/lsp-open"; sleep 0.2; cat "$work/lsp-close"; } |
                    "$measure" - ${commands[$i]})" >> "$work/runs"
      else
        echo "$i $("$measure" "$input" ${commands[$i]})" >> "$work/runs"
      fi
    done
  done
  for i in "${!commands[@]}"; do
    awk -v i="$i" '$1 == i { print $2, $3 }' "$work/runs" | sort -n |
      awk -v name="${names[$i]}" -v i="$i" -v first="${first_median:-0}" '
        { t[NR] = $1; if ($2 > peak) peak = $2 }
        END {
          median = t[int((NR + 1) / 2)]
          printf "  %-30s %8.2f ms (best %7.2f) %6.1f MiB", name, median, t[1], peak / 1024
          if (i > 0 && first > 0) printf "   %5.2fx ours", median / first
          printf "\n"
          print median > "/dev/stderr"
        }' 2> "$work/median"
    [ "$i" -eq 0 ] && first_median=$(cat "$work/median")
  done
  first_median=0
}

# The language server: initialize and open a document of one word; once
# its diagnostics are out, shutdown and exit.
lsp_messages() {
  local m
  for m; do printf 'Content-Length: %d\r\n\r\n%s' "${#m}" "$m"; done
}
lsp_messages '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}}' \
  '{"jsonrpc":"2.0","method":"initialized","params":{}}' \
  '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///t.txt","languageId":"plaintext","version":1,"text":"the\n"}}}' \
  > "$work/lsp-open"
lsp_messages '{"jsonrpc":"2.0","id":2,"method":"shutdown"}' '{"jsonrpc":"2.0","method":"exit"}' \
  > "$work/lsp-close"

echo "Start-up on the text \"the\" (processor time, 20 interleaved rounds; peak memory)"
: > "$work/user.dic"
compare 20 "$work/the.txt" "lumospell list=$ours -d $dict list" "aspell list=aspell -l en list" \
  "hunspell -l=hunspell -d en_US -l" \
  "the libraries (examples/host)=$build/bin/host $dict $work/user.dic the"
compare 20 "$work/the.txt" "lumospell check --no-suggest=$ours -d $dict check --no-suggest" \
  "lumospell check=$ours -d $dict check"
compare 20 "$work/the.txt" "lumospell pipe=$ours -d $dict pipe" "aspell -a=aspell -l en -a" \
  "hunspell -a=hunspell -d en_US -a"
compare 10 lsp "lumospell lsp (first diagnostics)=$ours -d $dict lsp"
echo
printf 'Programs on %s bytes (5 interleaved rounds)\n' "$(wc -c < "$work/text.txt")"
compare 5 "$work/text.txt" "lumospell list=$ours -d $dict list" "aspell list=aspell -l en list" \
  "hunspell -l=hunspell -d en_US -l"
echo

"$build/bin/build_bench"
