#!/usr/bin/env bash
# Neovim's own LSP client, headless: opens a Markdown file, receives the
# diagnostics and applies a code action that replaces the misspelt word.
set -u
program=$(readlink -f "$1")
here=$(readlink -f "$2")
command -v nvim >/dev/null || { echo "nvim is not installed; skipping"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'the\nquick\nbrown\nfox\njumps\nover\nlazy\ndog\ntitle\n' > "$work/main.dic"
: > "$work/user.dic"
printf '# Title\n\nThe quick brown fox jumsp over the lazy dog.\n\n```\nnott checkked\n```\n' > "$work/notes.md"
cd "$work"
# A home of its own: Neovim's state and logs stay out of the user's.
HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
LUMOSPELL="$program" MAINDICT="$work/main.dic" USERDICT="$work/user.dic" RESULT="$work/result.txt" \
  timeout 120 nvim --headless -n -i NONE -u "$here/neovim_init.lua" "$work/notes.md" </dev/null >/dev/null 2>&1
status=$?
cat "$work/result.txt" 2>/dev/null
expected="DIAG 2:20-25 lumospell
LINE The quick brown fox jumps over the lazy dog.
CLEARED
STOPPED"
if [ $status -ne 0 ] || [ "$(cat "$work/result.txt" 2>/dev/null)" != "$expected" ]; then
  echo "FAIL: neovim exited $status; expected:"
  echo "$expected"
  exit 1
fi
echo "ok"
