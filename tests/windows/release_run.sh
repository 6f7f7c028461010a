#!/usr/bin/env bash
# Unpacks the release zip into a clean Wine prefix of its own and runs the
# example host from it, driven by example_drive (copied beside it, since it
# drives the host in its own folder), headless with Wine's null driver.
#   release_run.sh WINE ZIP DRIVER WORK
set -euo pipefail
wine=$1 zip=$2 driver=$3 work=$4
[ -f "$zip" ] || { echo "FAILED: no release zip $zip (cpack in the build folder makes it)"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ "$(basename "$wine")" = wine ] && export WINEARCH=win32
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(dirname "$wine")/wineserver
host=""
stop() {
  [ -z "$host" ] || kill "$host" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true
}
trap stop EXIT
"$wine" wineboot -i
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
"$wineserver" -w

cd "$WINEPREFIX/drive_c"
cmake -E tar xf "$zip"
release=$WINEPREFIX/drive_c/$(basename "$zip" .zip)
ls "$release" "$release/bin" "$release/share/lumospell"
cp "$driver" "$release/bin/"
cd "$release/bin"
timeout 120 "$wine" win32_host.exe &
host=$!
timeout 60 "$wine" example_drive.exe check
timeout 60 "$wine" example_drive.exe finish
wait "$host"
host=""
# The user dictionary the host made on its first run keeps the added word.
grep -qx $'foxx\r' user.dic || { echo "FAILED: user.dic lacks the added word"; exit 1; }
echo "release: the example host ran from $(basename "$zip")"
