#!/usr/bin/env bash
# Runs a command with a Wine prefix and Wine server of its own, on a display
# (a virtual one of its own where there is none, or with --own-display):
#   --prefix DIR    that prefix, kept; else a throw-away one per run
#   --windows VER   Wine reports that Windows version (win98) to every program
#   --dpi N         the display's DPI
# A stop ends the command, then Wine's processes, the prefix and the display.
set -euo pipefail
wine=$(cd "$(dirname "$0")" && pwd)
. "$wine/../lib.sh"
own= prefix= windows= dpi=
while :; do
  case ${1:-} in
    --own-display) own=own; shift ;;
    --prefix) prefix=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    *) break ;;
  esac
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wine that also starts where no 32-bit code runs (bin/wine).
export PATH=$wine/bin:$PATH
export WINEPREFIX=${prefix:-$(mktemp -d -t vigilo-wine.XXXXXX)}
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$prefix" ] || rm -rf "$WINEPREFIX"
  [ -z "$xvfb" ] || kill $xvfb 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 143' TERM INT
start_display 1280x1024x24 "$own"

"$wine/prefix.sh"
[ -z "$windows" ] || wine reg add 'HKCU\Software\Wine' /v Version /d "$windows" /f >/dev/null 2>&1
# Wine 10 reads the DPI when the prefix's Wine server starts: this one ends first.
if [ -n "$dpi" ]; then
  for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  done
  wineserver -w
fi
# One server and one set of Wine's services for the run, their output to
# nowhere: started by a test they would hold its output open.
wineserver -p 900 </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true
stoppable "$@"
