#!/usr/bin/env bash
# A whole tree in one run: `lumospell check -j1` and `-j2` against
# `cspell "**"` and codespell on the same folders, interleaved, each run
# REPEAT times: CPU seconds (user + system, children included) and wall
# seconds, median and best, files, files per wall second.
#
# Usage: bench/project_run.sh [BUILD_DIR] [REPEAT] [TREE...]
#   BUILD_DIR  a built tree (default build)
#   REPEAT     runs of each (default 3)
#   TREE       folders (default /usr/include /usr/lib/python3* /usr/share/doc)
# cspell comes from npm (`npm install --prefix DIR cspell@9.8.0`, into
# ~/.cache/lumospell-bench/cspell when missing), codespell from Debian.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
repeat=${2:-3}
shift $(( $# > 2 ? 2 : $# ))
case $build in /*) ;; *) build=$root/$build ;; esac
if [ $# -gt 0 ]; then trees=("$@"); else trees=(/usr/include /usr/lib/python3* /usr/share/doc); fi

lumospell=$build/bin/lumospell
[ -x "$lumospell" ] || { echo "build lumospell first: $lumospell" >&2; exit 2; }
command -v codespell >/dev/null || apt-get install -y -qq codespell >/dev/null || true
cspell_dir=${XDG_CACHE_HOME:-$HOME/.cache}/lumospell-bench/cspell
if [ ! -x "$cspell_dir/node_modules/.bin/cspell" ] && command -v npm >/dev/null; then
    npm install --silent --prefix "$cspell_dir" cspell@9.8.0 >/dev/null || true
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One copy of the trees as a plain folder, so that every tool sees the same files.
for t in "${trees[@]}"; do mkdir -p "$work/tree$t" && cp -a "$t/." "$work/tree$t/" 2>/dev/null || true; done
files=$(find "$work/tree" -type f | wc -l)

tools=(lumospell-j1 lumospell-j2)
command -v codespell >/dev/null && tools+=(codespell)
[ -x "$cspell_dir/node_modules/.bin/cspell" ] && tools+=(cspell)

run() {
    cd "$work/tree"
    case $1 in
        lumospell-j1) "$lumospell" check -j1 --no-suggest . ;;
        lumospell-j2) "$lumospell" check -j2 --no-suggest . ;;
        codespell) codespell . ;;
        cspell) "$cspell_dir/node_modules/.bin/cspell" --no-progress --no-summary "**" ;;
    esac
}

# measure TOOL: "cpu wall" in seconds for one run.
measure() {
    /usr/bin/time -o "$work/time" -f '%U %S %e' bash -c "$(declare -f run); lumospell=$lumospell; \
        cspell_dir=$cspell_dir; work=$work; run $1" >/dev/null 2>&1 || true
    tail -n 1 "$work/time" | awk '{ printf "%.3f %.3f\n", $1 + $2, $3 }'
}

for ((k = 0; k < repeat; ++k)); do
    for t in "${tools[@]}"; do echo "$t $(measure "$t")" >>"$work/times"; done
done

printf '%s files in %s\n' "$files" "${trees[*]}"
printf '%-14s %10s %10s %10s %10s %12s\n' tool cpu-median cpu-best wall-median wall-best files/s
# stat COLUMN: "median best" of the tool's runs.
stat() {
    sort -n | awk '{ v[NR] = $1 } END { printf "%.2f %.2f\n", v[int((NR + 1) / 2)], v[1] }'
}
for t in "${tools[@]}"; do
    read -r cpu_median cpu_best < <(awk -v t="$t" '$1 == t { print $2 }' "$work/times" | stat)
    read -r wall_median wall_best < <(awk -v t="$t" '$1 == t { print $3 }' "$work/times" | stat)
    printf '%-14s %10s %10s %10s %10s %12.0f\n' "$t" "$cpu_median" "$cpu_best" "$wall_median" \
        "$wall_best" "$(awk -v f="$files" -v w="$wall_median" 'BEGIN { print (w > 0 ? f / w : 0) }')"
done
