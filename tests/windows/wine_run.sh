#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, with
# Wine's null graphics driver so that windows exist without a display.
#   wine_run.sh WINE PREFIX setup          create the prefix (once)
#   wine_run.sh WINE PREFIX stop           end its wineserver
#   wine_run.sh WINE PREFIX PROGRAM [ARG]  run a program
# Japanese file names need a Japanese Unix locale, made by setup beside the
# prefix when the system has none; LC_ALL chooses the code page.
set -euo pipefail
wine=$1
export WINEPREFIX=$2
shift 2
# The 32-bit loader gets a 32-bit prefix of its own.
[ "$(basename "$wine")" = wine ] && export WINEARCH=win32
locales=$(dirname "$WINEPREFIX")/locale
[ -d "$locales" ] && export LOCPATH=$locales
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(dirname "$wine")/wineserver
case "$1" in
  setup)
    if [ ! -d "$locales/ja_JP.UTF-8" ]; then
      mkdir -p "$locales"
      localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8"
    fi
    # A prefix made by another Wine is made anew: Wine would update it on
    # its first start and so restore the crash debugger set off below.
    made_by="$(readlink -f "$wine") $(stat -c %Y /usr/share/wine/wine.inf 2>/dev/null)"
    if [ "$(cat "$WINEPREFIX/.lumospell-ready" 2>/dev/null)" != "$made_by" ]; then
      rm -rf "$WINEPREFIX" "$WINEPREFIX-x11"
      mkdir -p "$WINEPREFIX"
      "$wine" wineboot -i
      "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
      # A crashing program ends at once with its exception code: no crash
      # dialog, and no debugger to wait on it or to end it in its stead
      # (without a Debugger value Wine starts its own; one that cannot be
      # started leaves the exception to end the program).
      "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
      for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                 'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
        "$wine" reg add "$key" /v Auto /d 1 /f
        "$wine" reg add "$key" /v Debugger /d 'no-debugger-here.exe %ld %ld' /f
      done
      # Wine's own fonts (Marlett draws the caption buttons) are loaded
      # from the prefix's font folder.
      cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      "$wineserver" -w
      echo "$made_by" >"$WINEPREFIX/.lumospell-ready"
    fi ;;
  stop)
    "$wineserver" -k 2>/dev/null || true ;;
  *)
    exec "$wine" "$@" ;;
esac
