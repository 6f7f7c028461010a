#!/usr/bin/env bash
# Builds examples/host.c against the LumoSpell installed under PREFIX, the
# way a third party would, and runs it on WORDS:
#   build_host.sh cmake|pkg-config PREFIX WORK_DIR HOST_SOURCE WORDS [C_FLAGS]
set -euo pipefail
mode=$1 prefix=$2 work=$3 source=$4 words=$5 flags=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
case $mode in
  cmake)
    cmake -S "$here/host_project" -B "$work" -DCMAKE_PREFIX_PATH="$prefix" \
      -DHOST_SOURCE="$source" -DCMAKE_C_FLAGS="$flags" >/dev/null
    cmake --build "$work" >/dev/null
    ;;
  pkg-config)
    pc_dir=$(dirname "$(find "$prefix" -name lumospell.pc | head -n 1)")
    export PKG_CONFIG_PATH=$pc_dir
    libdir=$(pkg-config --variable=libdir lumospell)
    enginedir=$(pkg-config --variable=enginedir lumospell)
    # shellcheck disable=SC2046,SC2086
    cc $flags $(pkg-config --cflags lumospell) "$source" -o "$work/host" \
      -DHOST_FRONT_PATH="\"$libdir/liborthbridge.so\"" \
      -DHOST_ENGINE_PATH="\"$enginedir/liborthex.so\"" \
      $(pkg-config --libs lumospell) -Wl,-rpath,"$libdir" -ldl
    ;;
  *) echo "build_host.sh: unknown mode $mode" >&2; exit 2 ;;
esac
"$work/host" "$words" "$work/user.dic"
