#!/usr/bin/env bash
# How much noise we make on code beside cspell and codespell: on trees every
# machine has (C headers of /usr/include, Python's standard library without
# its tests, Markdown and HTML of /usr/share/doc), a sample of files copied
# with misspellings of our own planted in comments and prose, each program
# run over each tree, interleaved, ROUNDS times.  Printed per tree and
# program: files, distinct words flagged (in lower case), planted
# misspellings found, and processor time (user + system), median and best.
# The flags of ours that remain are written to OUT/ours-TREE.txt to sample.
#
# Usage: bench/code_noise.sh [BUILD_DIR] [FILES_PER_TREE] [ROUNDS] [OUT]
# (defaults: build, 300, 3, a temporary folder).  cspell is installed with
# npm into OUT when missing (CSPELL=path/to/cspell to give one), codespell
# from Debian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
per_tree=${2:-300}
rounds=${3:-3}
work=$(mktemp -d)
out=${4:-$work/out}
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export HOME=$work XDG_DATA_HOME=$work/xdg LC_ALL=C.UTF-8
ours=$build/bin/lumospell
[ -x "$ours" ] || cmake --build "$build" -j2 --target lumospell default_dictionary >/dev/null
command -v codespell >/dev/null || "$root/scripts/install-deps.sh" codespell
cspell=${CSPELL:-$out/cspell/node_modules/.bin/cspell}
if [ ! -x "$cspell" ]; then
  npm install --prefix "$out/cspell" --no-audit --no-fund cspell@9.8.0 >/dev/null
fi

planted=(recieve seperate occured definately accomodate enviroment wierd untill begining
         tommorow neccessary existance arguement publically concious refered occurence
         independant truely succesful)

# tree NAME EXTENSION COMMENT_START COMMENT_END FIND_ARGS...: a sample of the
# files, every tenth with a planted misspelling in a comment; the planted
# words are listed in NAME.planted as "FILE WORD".
tree() {
  local name=$1 ext=$2 open=$3 close=$4
  shift 4
  local dir=$work/$name
  mkdir -p "$dir"
  local all
  all=$(find "$@" -type f -size -200k 2>/dev/null | LC_ALL=C sort)
  local count step k=0 n=0
  count=$(printf '%s\n' "$all" | grep -c . || true)
  step=$(( count / per_tree > 0 ? count / per_tree : 1 ))
  : > "$work/$name.planted"
  while IFS= read -r f; do
    k=$((k + 1))
    [ $(( k % step )) -eq 0 ] || continue
    n=$((n + 1))
    [ "$n" -le "$per_tree" ] || break
    local copy=$dir/$n.$ext
    cp "$f" "$copy"
    if [ $(( n % 10 )) -eq 0 ]; then
      local word=${planted[$(( (n / 10) % ${#planted[@]} ))]}
      printf '\n%s This line was %s by hand. %s\n' "$open" "$word" "$close" >> "$copy"
      echo "$n.$ext $word" >> "$work/$name.planted"
    fi
  done <<< "$all"
}
tree c-headers h '/*' '*/' /usr/include -name '*.h'
python=$(ls -d /usr/lib/python3.[0-9]* | sort -V | tail -1)
tree python py '#' '' "$python" -name '*.py' -not -path '*/test*' -not -path '*/idle_test/*'
tree markdown md '' '' /usr/share/doc -name '*.md'
tree html html '<p>' '</p>' /usr/share/doc -name '*.html'

# flags PROGRAM TREE: "FILE<TAB>word" for every flag, the word in lower case,
# run in the tree's folder (cspell passes over files outside it).
flags() {
  cd "$work/$2"
  case $1 in
    ours) "$ours" check --no-suggest -- * 2>/dev/null | grep -v ': too long to be a word' |
            sed -E 's/^([^:]*):[0-9]+:[0-9]+: (.*: )?([^:]*)$/\1\t\3/' ;;
    cspell) "$cspell" lint --no-progress --no-summary --no-color --no-must-find-files -- * \
              2>/dev/null | sed -nE 's/^([^:]*):[0-9]+:[0-9]+ +- Unknown word \(([^)]*)\).*/\1\t\2/p' ;;
    codespell) codespell -d -- * 2>/dev/null | sed -nE 's/^([^:]*):[0-9]+: ([^ ]*) ==>.*/\1\t\2/p' ;;
  esac | awk -F '\t' '{ print $1 "\t" tolower($2) }' || true
}

cpu() { awk '{ print $1 + $2 }' "$1"; }
printf 'load average %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %-10s %6s %9s %8s %9s %9s\n' tree program files distinct planted median best
for name in c-headers python markdown html; do
  files=$(ls "$work/$name" | wc -l)
  planted_count=$(wc -l < "$work/$name.planted")
  for r in $(seq "$rounds"); do
    for p in ours cspell codespell; do
      /usr/bin/time -f '%U %S' -o "$work/time" bash -c "$(declare -f flags); \
        work=$work ours=$ours cspell=$cspell flags $p $name" > "$work/$p.flags" 2>/dev/null || true
      cpu "$work/time" >> "$work/$p.$name.times"
    done
  done
  for p in ours cspell codespell; do
    distinct=$(cut -f2 "$work/$p.flags" | LC_ALL=C sort -u | grep -c . || true)
    found=0
    while read -r file word; do
      grep -qxF "$file	$word" "$work/$p.flags" && found=$((found + 1))
    done < "$work/$name.planted"
    read -r median best < <(sort -n "$work/$p.$name.times" |
      awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1] }')
    printf '%-10s %-10s %6s %9s %5s/%-3s %8.2fs %8.2fs\n' "$name" "$p" "$files" "$distinct" \
      "$found" "$planted_count" "$median" "$best"
    [ "$p" = ours ] && cut -f2 "$work/$p.flags" | LC_ALL=C sort | uniq -c | sort -rn \
      > "$out/ours-$name.txt"
  done
done
echo "our remaining flags, by count: $out/ours-*.txt"
