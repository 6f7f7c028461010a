#!/usr/bin/env bash
# Drives lumospell from Emacs' flyspell, as an editor user would, and
# checks that exactly the misspelt words of the samples are marked.
set -u
program=$(readlink -f "$1")
here=$(readlink -f "$2")
command -v emacs >/dev/null || { echo "emacs is not installed; skipping"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'an\nthe\nquick\nbrown\nfox\njumps\nover\nlazy\ndog\nthis\nhas\ntwo\nerrors\nin\nit\na\ncorrect\nline\nhere\n' > "$work/main.dic"
: > "$work/user.dic"
status=0
check() {
  local sample=$1 expected=$2
  local marked
  marked=$(LUMOSPELL="$program" MAINDICT="$work/main.dic" USERDICT="$work/user.dic" \
    SAMPLE="$sample" timeout 120 emacs --batch -Q -l "$here/flyspell_marks.el" 2>/dev/null |
    sed -n 's/^MARKED: //p')
  if [ "$marked" != "$expected" ]; then
    echo "FAIL $(basename "$sample"): marked '$marked', expected '$expected'"
    status=1
  else
    echo "ok   $(basename "$sample"): $marked"
  fi
}
printf 'The quick brown fox jumpss over the lazy dog.\nThis sentense has twoo errors in it.\nA correct line here.\n' > "$work/small.txt"
check "$work/small.txt" "jumpss sentense twoo"
# Past 1000 characters flyspell lists the words in one run ("-l") first.
{
  for i in $(seq 1 40); do echo "The quick brown fox jumps over the lazy dog."; done
  echo "A corect line with an erorr here."
} > "$work/large.txt"
check "$work/large.txt" "corect erorr with"
exit $status
