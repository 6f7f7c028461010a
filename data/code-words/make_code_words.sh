#!/usr/bin/env bash
# Makes the word lists of code from MIT-licensed npm packages of words for
# spell checking code (data only): one lower-case word a line, sorted.
#   data/code-words/make_code_words.sh [FOLDER]
# FOLDER holds node_modules/ of the packages; without it they are installed
# into a temporary one with npm.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
packages=(@cspell/dict-software-terms@5.4.9 @cspell/dict-cpp@7.2.0 @cspell/dict-python@4.5.2
          @cspell/dict-shell@1.2.0 @cspell/dict-typescript@3.2.3 @cspell/dict-html@4.0.16
          @cspell/dict-css@4.1.2 @cspell/dict-csharp@4.0.8 @cspell/dict-golang@6.0.29
          @cspell/dict-rust@4.1.2 @cspell/dict-ruby@5.1.4 @cspell/dict-lua@4.0.8
          @cspell/dict-sql@2.2.1 @cspell/dict-php@4.1.3 @cspell/dict-makefile@1.0.5
          @cspell/dict-docker@1.1.17)
dir="${1:-}"
if [ -z "$dir" ]; then
  dir="$(mktemp -d)"
  npm install --prefix "$dir" --ignore-scripts --no-audit --no-fund "${packages[@]}" >/dev/null
fi
m="$dir/node_modules/@cspell"
# Words of one case shape only (lower, Capitalised, CAPITALS): identifiers
# are checked part by part, so a mixed-case entry never matches; entries
# marked forbidden (!) or holding other bytes are left out.
# Known English misspellings are left out too: the lists, gathered from
# code, hold hundreds (setings, argment, automaticaly). They are those of
# data/misspellings/ and of Debian's codespell, whose list is only read here.
misspelt="$(mktemp)"
trap 'rm -f "$misspelt"; [ -z "${1:-}" ] && rm -rf "$dir"' EXIT
codespell_list="$(dpkg -L codespell | grep '/data/dictionary\.txt$')"
{ grep -v '^#' "$here/../misspellings/misspellings-wikipedia.tsv" | cut -f1
  sed 's/->.*//' "$codespell_list"; } | tr 'A-Z' 'a-z' | LC_ALL=C sort -u |
  # codespell's list also holds words of the trade, kept here.
  grep -vxE 'falsy|reenabled?|browseable|canonicalizations?|msdos|gost' > "$misspelt"
# So are the spellings of one variant of English only (color, colour,
# organize, organise: SCOWL's per-variant lists, Debian's scowl): whether
# they are right is the variant dictionary's to say, in code as in prose.
cat /usr/share/dict/scowl/{american,british,canadian,australian}-words.* | iconv -f latin1 -t utf-8 |
  tr 'A-Z' 'a-z' | LC_ALL=C sort -u | LC_ALL=C sort -u -m - "$misspelt" -o "$misspelt"
words() {
  zcat -f "$@" | tr -d '\r' | grep -v '^[#!]' |
    grep -E "^([a-z][a-z'-]*|[A-Z][a-z'-]+|[A-Z][A-Z'-]+)$" | tr 'A-Z' 'a-z' | LC_ALL=C sort -u |
    LC_ALL=C comm -23 - "$misspelt"
}
s="$m/dict-software-terms/dict"
words "$s/softwareTerms.txt.gz" "$s/computing-acronyms.txt" "$s/networkingTerms.txt" \
      "$s/software-tools.txt" "$s/webServices.txt" > "$here/software.txt"
words "$m/dict-cpp/dict/cpp.txt.gz" "$m/dict-cpp/dict/cpp-refined.txt.gz" > "$here/c.txt"
words "$m/dict-python/dict/python.txt" "$m/dict-python/dict/python-common.txt" > "$here/python.txt"
words "$m/dict-shell/dict/shell-all-words.txt" > "$here/shell.txt"
words "$m/dict-typescript/dict/typescript.txt" > "$here/javascript.txt"
words "$m/dict-html/dict/html.txt.gz" "$m/dict-css/dict/css.txt" > "$here/html.txt"
words "$m/dict-csharp/dict/csharp.txt.gz" > "$here/csharp.txt"
words "$m/dict-golang/dict/go.txt" > "$here/go.txt"
words "$m/dict-rust/dict/rust.txt.gz" "$m/dict-rust/dict/crates.txt.gz" > "$here/rust.txt"
words "$m/dict-ruby/dict/ruby.txt" "$m/dict-ruby/dict/gems.txt" > "$here/ruby.txt"
words "$m/dict-lua/dict/lua.txt" > "$here/lua.txt"
words "$m/dict-sql/sql.txt.gz" > "$here/sql.txt"
words "$m/dict-php/dict/php.txt" > "$here/php.txt"
words "$m/dict-makefile/dict/makefile.txt" > "$here/makefile.txt"
words "$m/dict-docker/dict/docker-words.txt.gz" > "$here/docker.txt"
for p in dict-software-terms dict-cpp dict-python dict-shell dict-typescript dict-html dict-css \
         dict-csharp dict-golang dict-rust dict-ruby dict-lua dict-sql dict-php dict-makefile \
         dict-docker; do
  cp "$m/$p/LICENSE" "$here/LICENSE.$p"
done
wc -l "$here"/*.txt
