#!/usr/bin/env bash
# `lumospell fix` in a real terminal: tmux runs it, types the keys and shows
# the screen; then the file, its backup and the user dictionary are checked.
# Every wait is bounded.  Usage: fix_terminal.sh PROGRAM
set -uo pipefail
program=$1
command -v tmux >/dev/null || { echo "tmux is not installed"; exit 77; }
work=$(mktemp -d)
socket="lumofix$$"
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
failures=0
runner=""
fail() { echo "FAIL [$name]: $*"; failures=$((failures + 1)); }

# start NAME WIDTH HEIGHT FILE...: a fresh folder with the files written by the caller.
start() {
  tmux -L "$socket" -f /dev/null new-session -d -s fix -x "$2" -y "$3" \
    "trap '' HUP; cd '$dir' && $runner '$program' fix -p '$dir/user.dic' ${*:4} 2>'$dir/err'; echo \$? >'$dir/rc'"
}
screen() { tmux -L "$socket" capture-pane -p -t fix 2>/dev/null; }
wait_for() {  # TEXT [TENTHS]: until the screen shows it, 10 s unless told
  for _ in $(seq "${2:-100}"); do screen | grep -qF -- "$1" && return 0; sleep 0.1; done
  fail "the screen never showed '$1':"; screen; return 1
}
keys() { tmux -L "$socket" send-keys -t fix "$@"; }
pick() {  # WORD: the key of that suggestion on screen
  local line; line=$(screen | grep -oE "(^| )[0-9] $1( |\$)" | head -1)
  [ -n "$line" ] || { fail "no suggestion '$1':"; screen; return 1; }
  keys "$(echo "$line" | tr -dc 0-9)"
}
wait_end() {  # the program's exit code, 60 s at most
  for _ in $(seq 600); do [ -s "$dir/rc" ] && { cat "$dir/rc"; return; }; sleep 0.1; done
  tmux -L "$socket" kill-server 2>/dev/null; echo timeout
}
expect_file() {  # PATH CONTENT (printf format)
  local want; want=$(printf "$2"; echo .)
  local got; got=$(cat "$1" 2>/dev/null; echo .)
  [ "$got" = "$want" ] || fail "$1 holds '${got%.}', not '${want%.}'"
}
case_dir() { name=$1; dir="$work/$1"; mkdir -p "$dir"; }
keys_line="1-9,0 pick"

# Replace by number, save: backup and line ends kept, no line end added;
# the temporary file a killed save left beside it is removed.
case_dir number; printf 'I saw teh cat.\r\nThe end teh' > "$dir/a.txt"
printf 'half' > "$dir/.a.txt.lumospell-K1ll3d"; touch -d '1 hour ago' "$dir/.a.txt.lumospell-K1ll3d"
start number 80 24 a.txt; wait_for "$keys_line"; wait_for " the "
pick the; wait_for "line 2"; wait_for " the"; pick the; wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc"): $(cat "$dir/err")"
expect_file "$dir/a.txt" 'I saw the cat.\r\nThe end the'
expect_file "$dir/a.txt.bak" 'I saw teh cat.\r\nThe end teh'
[ ! -e "$dir/.a.txt.lumospell-K1ll3d" ] || fail "the killed save's temporary is left"
grep -qx 'lumospell: saved a.txt (2 changes, backup a.txt.bak)' "$dir/err" || fail "told: $(cat "$dir/err")"

# A line that fits is shown whole, however far in its word is.
case_dir whole; printf 'This license is intended to guarantee your freedon to share it.\n' > "$dir/w.txt"
start whole 80 24 w.txt; wait_for "This license is intended to guarantee your freedon to share"; keys q
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"

# R replaces every later one; permissions stay.
case_dir all; printf 'teh cat and teh dog\nteh\n' > "$dir/b.txt"; chmod 640 "$dir/b.txt"
start all 80 24 b.txt; wait_for "$keys_line"; keys R; wait_for "Replace every one with (Ctrl-U clears):"
keys C-u; keys -l thee; keys Enter; wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc"): $(cat "$dir/err")"
expect_file "$dir/b.txt" 'thee cat and thee dog\nthee\n'
[ "$(stat -c %a "$dir/b.txt")" = 640 ] || fail "permissions became $(stat -c %a "$dir/b.txt")"

# a adds, l adds in lower case; the user dictionary is saved at the end.
case_dir add; printf 'Zorblax met Quuxify\n' > "$dir/c.txt"
start add 80 24 c.txt; wait_for "Zorblax"; keys a; wait_for "Quuxify"; keys l
wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
grep -q '^Zorblax' "$dir/user.dic" && grep -q '^quuxify' "$dir/user.dic" ||
  fail "user dictionary: $(cat "$dir/user.dic")"
[ ! -e "$dir/c.txt.bak" ] || fail "an unchanged file was written"

# p adds to the project's word list; the project's words and ignored paths are left out.
case_dir project; p="$dir/proj"; mkdir -p "$p/.git" "$p/skip"; printf 'Zorbix Quuxify Blarg\n' > "$p/c.txt"
printf 'words = ["Zorbix"]\nword_lists = ["skip/words.txt"]\nignore_paths = ["skip/"]\n' \
  > "$p/.lumospell.toml"; printf 'teh\n' > "$p/skip/s.txt"
start project 80 24 proj; wait_for "proj/c.txt  line"; wait_for "Quuxify"; keys p; wait_for "Blarg"; keys a
wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc"): $(cat "$dir/err")"
expect_file "$p/skip/words.txt" 'Quuxify\n'
grep -q '^Blarg' "$dir/user.dic" || fail "user dictionary: $(cat "$dir/user.dic")"
grep -q 'Quuxify' "$dir/user.dic" && fail "the project's word went to the user dictionary"

# I ignores the word always; u takes back a replacement; nothing to save.
case_dir ignore; printf 'qwzx teh qwzx\n' > "$dir/d.txt"
start ignore 80 24 d.txt; wait_for "$keys_line"; keys '?'; wait_for "ignore it always"; keys Space
wait_for "$keys_line"; keys I; wait_for " the "; pick the; keys u
wait_for "undone: teh replaced by the"; keys i; wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
expect_file "$dir/d.txt" 'qwzx teh qwzx\n'
[ ! -e "$dir/d.txt.bak" ] || fail "an unchanged file was written"

# q asks first when something changed, then leaves the file alone.
case_dir quit; printf 'teh\n' > "$dir/e.txt"
start quit 80 24 e.txt; wait_for " the "; pick the; wait_for "no more words"; keys q
wait_for "Quit without saving"; keys y
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
expect_file "$dir/e.txt" 'teh\n'; [ ! -e "$dir/e.txt.bak" ] || fail "backup written"

# A file changed on disk meanwhile: asked; no keeps it, yes writes over it.
case_dir disk; printf 'teh\n' > "$dir/f.txt"
start disk 80 24 f.txt; wait_for " the "; pick the; wait_for "no more words"
printf 'teh other\n' > "$dir/f.txt"; keys x; wait_for "changed on disk"; keys n
wait_for "not saved"; expect_file "$dir/f.txt" 'teh other\n'; keys x; wait_for "Overwrite"; keys y
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
expect_file "$dir/f.txt" 'the\n'; expect_file "$dir/f.txt.bak" 'teh other\n'

# Markdown: a code block is never offered; a 20x5 terminal and a resize.
case_dir small; printf '```\nteh\n```\nwrold teh\n' > "$dir/g.md"
start small 20 5 g.md; wait_for "wrold"; wait_for "1-9,0"; tmux -L "$socket" resize-window -t fix -x 60 -y 12
wait_for "u undo"; keys i; wait_for " the "; pick the; wait_for "no more words"; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
expect_file "$dir/g.md" '```\nteh\n```\nwrold the\n'

# A line of 50 MB with the word at its very end.
case_dir long; yes 'the cat sat on a mat' | head -n 2400000 | tr '\n' ' ' > "$dir/l.txt"; printf 'teh' >> "$dir/l.txt"
start long 80 24 l.txt; wait_for " the " 600; pick the; wait_for "no more words" 600; keys x
[ "$(wait_end)" = 0 ] || fail "exit $(cat "$dir/rc")"
[ "$(tail -c 7 "$dir/l.txt")" = "mat the" ] && [ "$(tail -c 7 "$dir/l.txt.bak")" = "mat teh" ] &&
  [ "$(stat -c %s "$dir/l.txt")" = "$(stat -c %s "$dir/l.txt.bak")" ] || fail "the long line was not corrected"
rm -f "$dir"/l.txt*

# A closed terminal ends the session: the file untouched, words added kept.
case_dir hangup; printf 'Blorfnik teh\n' > "$dir/h.txt"
start hangup 80 24 h.txt; wait_for "Blorfnik"; keys a; wait_for " the "; pick the; sleep 0.2
tmux -L "$socket" kill-server; for _ in $(seq 100); do [ -s "$dir/rc" ] && break; sleep 0.1; done
expect_file "$dir/h.txt" 'Blorfnik teh\n'; [ ! -e "$dir/h.txt.bak" ] || fail "backup written"
[ -z "$(ls -A "$dir" | grep lumospell-)" ] || fail "temporary file left"
[ "$(cat "$dir/rc")" = 129 ] || fail "exit $(cat "$dir/rc") after a hangup"
grep -q '^Blorfnik' "$dir/user.dic" || fail "the word added before the hangup was lost"

# Bad files: a message each, left as they are, exit 2.  Root may write
# anything: the read-only file is then offered to an unprivileged user.
case_dir bad; printf 'teh\0bin' > "$dir/bin.dat"; printf 'teh\n' > "$dir/ro.txt"; chmod 444 "$dir/ro.txt"
printf '\377\376t\0e\0h\0' > "$dir/wide.txt"
as_root_only=no
if [ "$(id -u)" = 0 ]; then
  if command -v setpriv >/dev/null; then
    runner="setpriv --reuid=65534 --regid=65534 --clear-groups"; chmod 777 "$dir"; chmod 755 "$work"
    chmod 666 "$dir/bin.dat" "$dir/wide.txt"
  else as_root_only=yes; fi
fi
start bad 80 24 bin.dat wide.txt missing.txt ro.txt; runner=""
if [ $as_root_only = no ]; then
  [ "$(wait_end)" = 2 ] || fail "exit $(cat "$dir/rc")"
  grep -q 'ro.txt: cannot be written' "$dir/err" || fail "read-only: $(cat "$dir/err")"
else
  sleep 1; tmux -L "$socket" kill-server 2>/dev/null
fi
grep -q 'bin.dat: looks like a binary' "$dir/err" || fail "binary: $(cat "$dir/err")"
grep -q 'missing.txt: No such file' "$dir/err" || fail "missing: $(cat "$dir/err")"
grep -q 'wide.txt: UTF-16 text is not fixed' "$dir/err" || fail "UTF-16: $(cat "$dir/err")"
cmp -s "$dir/bin.dat" <(printf 'teh\0bin') || fail "the binary file changed"
expect_file "$dir/ro.txt" 'teh\n'

# A FIFO and a device are refused before they are opened (opening would
# block); Ctrl-C is a signal, read at the prompt as the quit key.
case_dir special; mkfifo "$dir/pipe.txt"; printf 'teh\n' > "$dir/s.txt"
start special 80 24 pipe.txt /dev/null s.txt; wait_for " the "; pick the; wait_for "no more words"
keys C-c; wait_for "Quit without saving"; keys y
[ "$(wait_end)" = 2 ] || fail "exit $(cat "$dir/rc")"
grep -q 'pipe.txt: not a regular file' "$dir/err" || fail "FIFO: $(cat "$dir/err")"
grep -q '/dev/null: not a regular file' "$dir/err" || fail "device: $(cat "$dir/err")"
expect_file "$dir/s.txt" 'teh\n'

# Not a terminal; no file.
name=pipe; out=$("$program" fix -p "$work/user.dic" /dev/null </dev/null 2>&1); rc=$?
[ $rc = 2 ] && [[ $out == *"needs a terminal"* ]] || fail "exit $rc: $out"
name=nofile; out=$("$program" fix -p "$work/user.dic" 2>&1); rc=$?
[ $rc = 2 ] && [[ $out == *"fix needs at least one FILE"* ]] || fail "exit $rc: $out"

[ $failures = 0 ] && echo "all fix terminal cases passed"
exit $((failures > 0))
