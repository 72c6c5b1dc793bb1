#!/usr/bin/env bash
# Runs a command with a throw-away Wine prefix and, when needed, a virtual
# display (scripts/with-display.sh): one prefix per run.
set -euo pipefail

# On a display: cleared up after this script's own clean-up below.
if [ -z "${DISPLAY:-}" ] || [ "${VIGILO_OWN_DISPLAY:-}" = 1 ]; then
  exec "$(dirname "$0")/with-display.sh" "$0" "$@"
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# A wine that also starts where no 32-bit code runs (scripts/wine-bin/wine).
PATH="$(cd "$(dirname "$0")" && pwd)/wine-bin:$PATH"
export PATH
export WINEPREFIX="${VIGILO_WINEPREFIX:-$(mktemp -d -t vigilo-wine.XXXXXX)}"
keep_prefix=${VIGILO_WINEPREFIX:+1}

cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$keep_prefix" ] && rm -rf "$WINEPREFIX"
  return 0
}
trap cleanup EXIT

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
