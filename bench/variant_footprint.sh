#!/usr/bin/env bash
# Per variant (and the default main.dic): words, size on disk of the
# dictionary with its table image, frequency list and ranker index, and
# what `lumospell check` costs to start and check one misspelt word with
# ranked suggestions: CPU time (median and best of 7) and peak memory.
#
# Usage: bench/variant_footprint.sh [BUILD_DIR]   (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
share=$build/share/lumospell
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '| variant | words | on disk (MB) | start-up CPU ms (median / best) | peak memory (MB) |\n'
printf '| --- | ---: | ---: | ---: | ---: |\n'
for v in en_US en_GB en_CA en_AU main; do
  if [ $v = main ]; then
    args=(-d "$share/main.dic") files=("$share"/main.* "$share/word-frequency.txt")
  else
    args=(--lang $v) files=("$share/$v".* "$share/$v"-*)
  fi
  words=$(wc -l < "$share/$v.dic")
  bytes=$(cat "${files[@]}" | wc -c)
  # CPU time of ten runs at once, for a clock that counts in 10 ms steps.
  runs=()
  for i in 1 2 3 4 5 6 7; do
    out=$(HOME=$work /usr/bin/time -f '%U %S' sh -c 'for k in 1 2 3 4 5 6 7 8 9 10; do
      echo lisence | "$0" "$@" >/dev/null; done; true' "$build/bin/lumospell" check "${args[@]}" \
      --user-dict "$work/user.dic" 2>&1 | tail -1 || true)
    read -r user sys <<<"$out"
    runs+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", (u + s) * 100 }')")
  done
  peak=$(echo lisence | HOME=$work /usr/bin/time -f '%M' "$build/bin/lumospell" check \
    "${args[@]}" --user-dict "$work/user.dic" 2>&1 >/dev/null | tail -1 || true)
  sorted=($(printf '%s\n' "${runs[@]}" | sort -g))
  printf '| %s | %s | %.1f | %s / %s | %.1f |\n' "$([ $v = main ] && echo main.dic || echo $v)" \
    "$words" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" "${sorted[3]}" "${sorted[0]}" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
done
