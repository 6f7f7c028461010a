#!/usr/bin/env bash
# A running `lumospell pipe` whose ranker index and table image are
# rewritten in place (cut short, bytes changed) keeps answering as before.
# Usage: rewritten_in_place.sh BIN_DIR LIB_DIR DATA_DIR
set -uo pipefail
trap "" PIPE  # a pipe that died is told by its exit code
bin=$(realpath "$1") lib=$(realpath "$2") data=$(realpath "$3")
work=$(mktemp -d)
trap 'exec 3>&- 4<&-; kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/share/lumospell"
cp "$bin/lumospell" "$work/bin/"
ln -s "$lib" "$work/lib"
cp "$data"/* "$work/share/lumospell/"
files="$work/share/lumospell"
mkfifo "$work/in" "$work/out"
"$work/bin/lumospell" pipe -p "$work/user.dic" <"$work/in" >"$work/out" 2>"$work/err" &
pid=$!
exec 3>"$work/in" 4<"$work/out"
ask() {  # WORD: the pipe's answer line for it, 20 s at most
  local line
  echo "$1" >&3
  read -r -t 20 line <&4 || { echo "no answer for $1"; return 1; }
  echo "$line"
  read -r -t 20 _ <&4  # the blank line after each input line
}
read -r -t 20 _ <&4 || { echo "FAIL: no banner"; cat "$work/err"; exit 1; }
words="teh becuase recieve wierd acommodate thier"
before=$(ask teh) || exit 1
size=$(stat -c %s "$files/main.rank")
# Bytes changed in the middle, then cut short, as `cp other main.rank` does.
dd if=/dev/urandom of="$files/main.rank" bs=4096 seek=$((size / 8192)) count=64 \
   conv=notrunc status=none
dd if=/dev/urandom of="$files/main.dic.table" bs=4096 seek=16 count=64 conv=notrunc status=none
truncate -s 100 "$files/main.rank"
truncate -s 0 "$files/main.dic.table"
failures=0
after=$(ask teh) || failures=1
[ "$before" = "$after" ] || { echo "FAIL: teh gave '$after', before '$before'"; failures=1; }
for w in $words; do ask "$w" >/dev/null || failures=1; done
exec 3>&-
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: the pipe ended with $rc"; cat "$work/err"; failures=1; }
[ "$failures" -eq 0 ] && echo "ok: answers held while both files were rewritten in place"
exit "$failures"
