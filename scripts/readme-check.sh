#!/usr/bin/env bash
# Walks the README as a new user would, on a fresh clone of the committed
# tree: the quick start (its output must be the README's), the install
# command, and the host example built and run against that install with no
# user dictionary yet.  The commands are taken from the README itself.
#   scripts/readme-check.sh [WORK_DIR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
readme=$repo/README.md

# The Nth fenced block (1-based) of the "## SECTION" part whose fence is
# ```LANG (an empty LANG: a bare fence).
block() {
  awk -v section="## $1" -v lang="$2" -v want="$3" '
    /^## / && !open { inside = ($0 == section) }
    /^```/ {
      if (!open) {
        open = 1
        take = 0
        if (inside && substr($0, 4) == lang) take = (++n == want)
      } else {
        open = 0
        if (take) exit
      }
      next
    }
    open && take { print }
  ' "$readme"
}
fail() { echo "readme-check: $*" >&2; exit 1; }

rm -rf "$work/clone" "$work/home"
git clone --quiet "$repo" "$work/clone"
mkdir -p "$work/home"
cd "$work/clone"

echo "== quick start"
block "Quick start" sh 1 | grep -q '^scripts/quickstart.sh' || fail "no quickstart.sh in the README"
scripts/quickstart.sh >"$work/quickstart.out"
diff <(block "Quick start" "" 1) <(sed -n '/^== lumospell check/,$p' "$work/quickstart.out") ||
  fail "the quick start prints other lines than the README"

echo "== install"
install_commands=$(block "Install" sh 1)
[ -n "$install_commands" ] || fail "no install command in the README"
HOME=$work/home bash -euo pipefail -c "$install_commands" >"$work/install.out"

echo "== host example"
mkdir -p "$work/host"
block "Using the libraries from a host" c 1 >"$work/host/host.c"
host_commands=$(block "Using the libraries from a host" sh 1)
[ -s "$work/host/host.c" ] && [ -n "$host_commands" ] || fail "no host example in the README"
cd "$work/host"
rm -f user.dic
HOME=$work/home bash -euo pipefail -c "$host_commands" >"$work/host.out"
expected=$(sed -n 's/^prints `\(.*\) \.\.\.`\.$/\1/p' "$readme")
[ -n "$expected" ] || fail "the README says nothing of what the host prints"
grep -q "^$expected" "$work/host.out" || fail "the host printed: $(cat "$work/host.out")"
[ -f user.dic ] || fail "the host example left no user dictionary"
echo "readme-check: the quick start, the install and the host example work as the README says"
