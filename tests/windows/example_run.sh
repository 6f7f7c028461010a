#!/usr/bin/env bash
# Runs the Win32 example host in a Wine virtual desktop on a private Xvfb
# display, drives it with example_drive (messages, no mouse) and saves a
# screenshot of the desktop.  The prefix is a copy of the headless one with
# Wine's X11 driver.
#   example_run.sh WINE PREFIX FOLDER SCREENSHOT.png
set -euo pipefail
wine=$1 base=$2 folder=$3 shot=$4
export WINEPREFIX=$base-x11 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ "$(basename "$wine")" = wine ] && export WINEARCH=win32
wineserver=$(dirname "$wine")/wineserver
if [ ! -f "$WINEPREFIX/.lumospell-x11" ]; then
  rm -rf "$WINEPREFIX"
  cp -a "$base" "$WINEPREFIX"
  "$wine" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f
  # One virtual desktop that Wine draws whole, captions included, and that
  # the host and its driver share.
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 480x330 /f
  "$wineserver" -w
  touch "$WINEPREFIX/.lumospell-x11"
fi

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 480x330x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
host=""
stop() {
  [ -z "$host" ] || kill "$host" 2>/dev/null || true
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap stop EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=:$display
"$wineserver" -k 2>/dev/null || true

cd "$folder"
# Each run starts from the shipped dictionary alone.
rm -f user.dic user.BAK built.dic source.txt
timeout 120 "$wine" win32_host.exe &
host=$!
timeout 60 "$wine" example_drive.exe check
sleep 1
import -window root "$shot"
timeout 60 "$wine" example_drive.exe finish
wait "$host"
host=""
echo "example host: screenshot in $shot"
