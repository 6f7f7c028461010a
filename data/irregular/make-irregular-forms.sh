#!/usr/bin/env bash
# Makes irregular-forms.txt: the regularised forms people write for irregular
# English verbs, nouns and adjectives ("seeked", "childs", "gooder"), each
# with the form meant, from WordNet's exception lists.
#
# Usage: data/irregular/make-irregular-forms.sh [WORDNET_DIR]
#   WORDNET_DIR  default /usr/share/wordnet (Debian package wordnet-base)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wn=${1:-/usr/share/wordnet}
for f in verb noun adj; do
  [ -r "$wn/$f.exc" ] || { echo "missing $wn/$f.exc (apt-get install wordnet-base)" >&2; exit 1; }
done
{
  echo "#lumorank-irregular 1"
  echo "# regularised form, tab, the irregular form meant; from WordNet 3.0 (see README.md)"
  for f in verb noun adj; do
    LC_ALL=C awk -v kind="$f" '
      function cvc(w) { return w ~ /[^aeiou][aeiou][bdgklmnprt]$/ }
      function out(reg, form) {
        if (reg != form && !((reg SUBSEP form) in done)) {
          done[reg, form] = 1; print reg "\t" form
        }
      }
      # Only single words of lower-case letters.
      $1 !~ /^[a-z]+$/ || $2 !~ /^[a-z]+$/ { next }
      {
        form = $1; base = $2
        if (kind == "verb") {
          if (base ~ /e$/) out(base "d", form)
          else if (base ~ /[^aeiou]y$/) {
            out(substr(base, 1, length(base) - 1) "ied", form); out(base "ed", form)
          } else {
            out(base "ed", form)
            if (cvc(base)) out(base substr(base, length(base)) "ed", form)
          }
        } else if (kind == "noun") {
          if (base ~ /(s|x|z|ch|sh)$/) out(base "es", form)
          else if (base ~ /[^aeiou]y$/) out(substr(base, 1, length(base) - 1) "ies", form)
          out(base "s", form)
        } else {
          if (form !~ /(er|est)$/) next
          suffix = form ~ /est$/ ? "est" : "er"
          if (base ~ /e$/) out(base substr(suffix, 2), form)
          else if (base ~ /[^aeiou]y$/) out(substr(base, 1, length(base) - 1) "i" suffix, form)
          else out(base suffix, form)
        }
      }' "$wn/$f.exc"
  done
} >"$here/irregular-forms.txt.tmp"
mv "$here/irregular-forms.txt.tmp" "$here/irregular-forms.txt"
