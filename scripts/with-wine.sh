#!/usr/bin/env bash
# Runs a command with a throw-away Wine prefix and, when needed, a virtual
# display: one prefix per run, since a fresh one takes a while to make.
set -euo pipefail

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${VIGILO_WINEPREFIX:-$(mktemp -d /tmp/vigilo-wine.XXXXXX)}"
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
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# One server and one set of Wine's own services for the whole run. Started
# here, with their output to nowhere: started by a test they would hold the
# test's output open and a runner waiting for it would wait for them.
wineserver -p 900 </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1 || true

"$@"
