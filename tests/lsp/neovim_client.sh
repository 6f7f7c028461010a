#!/usr/bin/env bash
# Neovim's own LSP client, headless: opens a Markdown file, receives the
# diagnostics and applies a code action that replaces the misspelt word.
set -u
program=$(readlink -f "$1")
here=$(readlink -f "$2")
readme=$(readlink -f "$3")
command -v nvim >/dev/null || { echo "nvim is not installed; skipping"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'the\nquick\nbrown\nfox\njumps\nover\nlazy\ndog\ntitle\n' > "$work/main.dic"
mkdir -p "$work/notes" "$work/bin"
# The README's snippet for Neovim 0.7 (the Lua block that calls start_client),
# which runs `lumospell lsp` from PATH with the user dictionary ~/notes/words.dic.
awk '/^```lua$/ { open = 1; text = ""; next }
     open && /^```$/ { open = 0; if (text ~ /start_client/) { printf "%s", text; exit } next }
     open { text = text $0 "\n" }' "$readme" > "$work/readme_snippet.lua"
grep -q start_client "$work/readme_snippet.lua" || { echo "FAIL: no Neovim 0.7 snippet in README"; exit 1; }
printf '#!/bin/sh\nexec "%s" "$@" --main-dict "%s"\n' "$program" "$work/main.dic" > "$work/bin/lumospell"
chmod +x "$work/bin/lumospell"
printf '# Title\n\nThe quick brown fox jumsp over the lazy dog.\n\n```\nnott checkked\n```\n' > "$work/notes.md"
cd "$work"
# A home of its own: Neovim's state and logs stay out of the user's.
HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
PATH="$work/bin:$PATH" README_SNIPPET="$work/readme_snippet.lua" RESULT="$work/result.txt" \
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
