#!/usr/bin/env bash
# Fuzzes every target (or those named) with libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer, two at a time, then prints a summary:
# executions, coverage, corpus size and findings per target.  Not for CI.
#
#   scripts/fuzz.sh [-t SECONDS] [TARGET...]
#     -t SECONDS   time per target (default 600)
#     TARGET       word_list table_image verify suggest prefilter prefilter_diff front_road
#                  build document_modes lsp_server
#
# Builds into build-fuzz/ with clang.  New inputs go to
# build-fuzz/fuzz-work/<target>/corpus (seeded from fuzz/corpus/<target>),
# findings to build-fuzz/fuzz-work/<target>/findings, logs beside them.  To
# keep a finding as a seed: minimise it with
#   build-fuzz/bin/<target>_fuzzer -minimize_crash=1 -runs=10000 FILE
# and copy the result into fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=600
if [ "${1:-}" = "-t" ]; then
  seconds=$2
  shift 2
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(word_list table_image verify suggest prefilter prefilter_diff front_road
  build document_modes lsp_server)
parallel=2

# Longest input each target is given: beyond a front's text buffer where
# a cut matters, short for single words.
max_len() {
  case $1 in
    suggest) echo 128 ;;
    word_list | table_image) echo 8192 ;;
    build) echo 65536 ;;
    *) echo 40000 ;;
  esac
}

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  scripts/install-deps.sh clang libclang-rt-14-dev
fi
build="build-fuzz"
CC=clang CXX=clang++ cmake -S . -B "$build" -DLUMOSPELL_FUZZ=ON -DLUMOSPELL_SANITIZE=ON \
  -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fuzzers=()
for t in "${targets[@]}"; do fuzzers+=("${t}_fuzzer"); done
cmake --build "$build" -j2 --target "${fuzzers[@]}"
# The language server binds the front and the engine at run time; the
# sanitized build does not link them, the plain one does.
if [[ " ${targets[*]} " == *" lsp_server "* ]]; then
  cmake -S . -B build >/dev/null && cmake --build build -j2 --target orthbridge orthex
  mkdir -p "$build/lib" && cp -a build/lib/liborthbridge.so* build/lib/liborthex.so* "$build/lib/"
fi

# The targets write files on every input; a memory file system keeps
# their saves (each ends in fsync) from dominating the run.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$build/fuzz-work

# Tokens worth trying in each target's input.
dict() {
  case $1 in
    build) echo "-dict=fuzz/build.dict" ;;
    verify | suggest | prefilter | prefilter_diff | front_road) echo "-dict=fuzz/text.dict" ;;
  esac
}

run_one() {
  local t=$1 dir=$work/$1
  mkdir -p "$dir/corpus" "$dir/findings"
  # shellcheck disable=SC2046
  "$build/bin/${t}_fuzzer" "$dir/corpus" "fuzz/corpus/$t" $(dict "$t") \
    -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$dir/findings/" -print_final_stats=1 >"$dir/log" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ $running -ge $parallel ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

printf '%-11s %8s %12s %8s %8s %8s %8s\n' target seconds executions cov ft corpus findings
for t in "${targets[@]}"; do
  log=$work/$t/log
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || true)
  corpus=$(find "$work/$t/corpus" -type f | wc -l)
  findings=$(find "$work/$t/findings" -type f | wc -l)
  printf '%-11s %8s %12s %8s %8s %8s %8s\n' "$t" "$seconds" "${execs:-?}" "${cov:-?}" "${ft:-?}" \
    "$corpus" "$findings"
done
