#!/usr/bin/env bash
# Words flagged per variant of English, ours beside aspell's and
# hunspell's dictionaries of the same variant, on a British text (the
# PuTTY manual, Debian putty-doc, MIT licence: HTML) and an American one
# (The Devil's Dictionary, data/prose/devil.txt, public domain).  Both are
# edited prose, so nearly every flagged word is a false alarm; the
# distinct words are counted.
#
# Usage: bench/variant_false_alarms.sh [BUILD_DIR]   (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
"$root/scripts/install-deps.sh" putty-doc aspell aspell-en hunspell hunspell-en-us \
  hunspell-en-gb hunspell-en-ca hunspell-en-au >/dev/null
british=(/usr/share/doc/putty-doc/*.html)
american=("$root/data/prose/devil.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
distinct() { sort -u | wc -l; }
printf '%-7s | %-28s | %-28s\n' "" "British: PuTTY manual" "American: Devil's Dictionary"
printf '%-7s | %8s %8s %9s | %8s %8s %9s\n' variant ours aspell hunspell ours aspell hunspell
for v in en_US en_GB en_CA en_AU; do
  row=()
  for text in british american; do
    if [ $text = british ]; then files=("${british[@]}") mode=html peer=-H; else
      files=("${american[@]}") mode=text peer=; fi
    row+=("$(HOME=$work "$build/bin/lumospell" list --lang "$v" --mode $mode \
      --user-dict "$work/user.dic" "${files[@]}" | distinct)")
    row+=("$(cat "${files[@]}" | aspell -l "$v" $peer list | distinct)")
    row+=("$(cat "${files[@]}" | hunspell -d "$v" $peer -l | distinct)")
  done
  printf '%-7s | %8s %8s %9s | %8s %8s %9s\n' "$v" "${row[@]}"
done
