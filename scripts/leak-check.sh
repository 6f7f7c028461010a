#!/usr/bin/env bash
# Runs whole sessions of the built libraries under valgrind memcheck and
# fails on any definite or indirect leak or memory error:
#   - the program checking a sample with suggestions, adding words, and an
#     editor's pipe session (check, suggest, add, accept, save at the end);
#   - a whole dictionary build from the English-Japanese sample text.
#
#   scripts/leak-check.sh [BUILD_DIR]   (default build-hard; a plain,
#                                        non-sanitizer build is needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-hard}
scripts/install-deps.sh valgrind
if [ ! -x "$build/bin/lumospell" ]; then
  cmake -S . -B "$build" -DLUMOSPELL_WERROR=ON >/dev/null
  cmake --build "$build" -j2
fi
if grep -q 'LUMOSPELL_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "leak-check: $build is a sanitizer build; valgrind needs a plain one" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=$build/bin/lumospell
user=$work/user.dic
failed=0

# Exit code 99 is memcheck's; the program's own codes (1: misspelt words
# found) are what the session is expected to give.
memcheck() {
  local name=$1 expected=$2
  shift 2
  local status=0
  valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=99 \
    --log-file="$work/$name.valgrind" "$@" >"$work/$name.out" 2>&1 <"$work/$name.in" || status=$?
  local errors
  errors=$(grep -c 'ERROR SUMMARY: [1-9]\|definitely lost\|indirectly lost' "$work/$name.valgrind" || true)
  if [ "$status" -eq 99 ] || [ "$errors" -ne 0 ]; then
    echo "leak-check: $name: memcheck reports errors or leaks" >&2
    cat "$work/$name.valgrind" >&2
    failed=1
  elif [ "$status" -ne "$expected" ]; then
    echo "leak-check: $name: exit $status, expected $expected" >&2
    cat "$work/$name.out" >&2
    failed=1
  else
    echo "leak-check: $name: no leaks, no memory errors"
  fi
}

: >"$work/check.in"
memcheck check 1 "$program" check -p "$user" data/sample/sample.txt
: >"$work/add.in"
memcheck add 0 "$program" add -p "$user" frobnicate wrod
printf '%s\n' '!' 'Teh quick brwon fox' '*brwon' 'brwon again' '@zzqx' 'zzqx frobnicate' \
  '#' 'An other recieve line' >"$work/pipe.in"
memcheck pipe 0 "$program" pipe -p "$user"
tr -d '\r' <"$user" | grep -qx brwon || { echo "leak-check: pipe: word not saved" >&2; failed=1; }
: >"$work/build.in"
memcheck build 0 "$program" build-dict data/ej/ej-sample.sjis.txt "$work/built.dic"
[ -s "$work/built.dic" ] || { echo "leak-check: build: no word list written" >&2; failed=1; }

exit $failed
