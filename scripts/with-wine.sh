#!/usr/bin/env bash
# Runs a command with a throw-away Wine prefix and, when needed, a virtual
# display: one prefix per run, since a fresh one takes a while to make.
set -euo pipefail

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# A wine that also starts where no 32-bit code runs (scripts/wine-bin/wine).
PATH="$(cd "$(dirname "$0")" && pwd)/wine-bin:$PATH"
export PATH
export WINEPREFIX="${VIGILO_WINEPREFIX:-$(mktemp -d -t vigilo-wine.XXXXXX)}"
keep_prefix=${VIGILO_WINEPREFIX:+1}

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$keep_prefix" ] && rm -rf "$WINEPREFIX"
  return 0
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${VIGILO_OWN_DISPLAY:-}" = 1 ]; then
  # Xvfb picks a free display itself, so runs side by side never share one.
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$display_file")"
  rm -f "$display_file"
fi

"$(dirname "$0")/wine-prefix.sh"
# VIGILO_WINE_VERSION=win98 makes Wine report that Windows version to every program.
if [ -n "${VIGILO_WINE_VERSION:-}" ]; then
  wine reg add 'HKCU\Software\Wine' /v Version /d "$VIGILO_WINE_VERSION" /f >/dev/null 2>&1
fi
# VIGILO_WINE_DPI=144 sets the display's DPI. Wine 10 reads it only when the
# prefix's Wine server starts, so this one is let go before the run's starts.
if [ -n "${VIGILO_WINE_DPI:-}" ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$VIGILO_WINE_DPI" /f >/dev/null 2>&1
  done
  wineserver -w
fi
# One server and one set of Wine's own services for the whole run. Started
# here, with their output to nowhere: started by a test they would hold the
# test's output open and a runner waiting for it would wait for them.
wineserver -p 900 </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true

"$@"
