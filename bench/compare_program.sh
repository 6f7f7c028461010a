#!/usr/bin/env bash
# The lumospell program against hunspell and aspell on the same prose, in
# one run: time to list the misspelt words of the whole text (start-up
# included, as a user sees it), and how many words each one flags.
#
# Usage: bench/compare_program.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
program=$build/bin/lumospell
[ -x "$program" ] || { echo "build first: $program is missing" >&2; exit 2; }
need=()
command -v hunspell >/dev/null && [ -e /usr/share/hunspell/en_US.dic ] || need+=(hunspell hunspell-en-us)
command -v aspell >/dev/null && [ -e /usr/lib/aspell/en.multi ] || need+=(aspell aspell-en)
if [ ${#need[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$root"/data/prose/*.txt > "$work/prose.txt"
export HOME=$work XDG_DATA_HOME=$work/xdg LC_ALL=C.UTF-8
words=$(LC_ALL=C grep -oE "[A-Za-z][A-Za-z0-9'_-]*" "$work/prose.txt" | wc -l)
bytes=$(wc -c < "$work/prose.txt")

# fastest COMMAND...: the best wall time of three runs, in seconds.
fastest() {
  local best=
  for _ in 1 2 3; do
    local t
    t=$( { TIMEFORMAT=%R; time "$@" < "$work/prose.txt" > /dev/null 2>&1; } 2>&1 )
    best=$(awk -v a="$t" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
  done
  echo "$best"
}

ours=$(fastest "$program" list)
hun=$(fastest hunspell -d en_US -l)
asp=$(fastest aspell -l en list)
ours_flagged=$("$program" list < "$work/prose.txt" | wc -l)
hun_flagged=$(hunspell -d en_US -l < "$work/prose.txt" | wc -l)
asp_flagged=$(aspell -l en list < "$work/prose.txt" | wc -l)

printf 'text: %s bytes, %s words (data/prose)\n\n' "$bytes" "$words"
printf '%-22s %10s %14s %10s\n' "" "seconds" "words/second" "flagged"
for row in "lumospell list:$ours:$ours_flagged" "hunspell -l:$hun:$hun_flagged" "aspell list:$asp:$asp_flagged"; do
  IFS=: read -r name t f <<< "$row"
  awk -v n="$name" -v t="$t" -v w="$words" -v f="$f" -v total="$words" \
    'BEGIN { printf "%-22s %10.3f %14.0f %10d (%.2f%%)\n", n, t, w / t, f, 100 * f / total }'
done
echo
awk -v o="$ours" -v h="$hun" -v a="$asp" \
  'BEGIN { printf "speed: %.1fx hunspell, %.1fx aspell\n", h / o, a / o }'
