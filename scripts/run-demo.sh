#!/usr/bin/env bash
# `make run`: Vigilo under Wine in build/demo, beside the stand-in server.
# With a display the window opens there; without one a virtual display is
# started, a screenshot saved to build/demo/vigilo.png, and Vigilo runs on
# until Ctrl-C. $VIGILO_ARCH names the build (win32 unless told).
set -euo pipefail
cd "$(dirname "$0")/.."
rm -f build/demo/vigilo.png
scripts/demo-folder.sh build/demo

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="$PWD/scripts/wine-bin:$PATH"  # a wine that also starts where no 32-bit code runs
# A prefix of its own that lasts between runs, so saved settings stay.
export WINEPREFIX="$PWD/build/wineprefix"
[ -f "$WINEPREFIX/system.reg" ] || echo "Preparing a Wine prefix in build/wineprefix (once, about 20 s)..."
scripts/wine-prefix.sh

cd build/demo
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Vigilo (build/${VIGILO_ARCH:-win32}) in $PWD on display $DISPLAY."
  exec wine vigilo.exe
fi

for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null' EXIT
export DISPLAY="$display"
echo "No display found: started a virtual display ($DISPLAY)."
# Wine's virtual desktop draws the window frame, as a window manager would.
wine explorer /desktop=Vigilo,640x480 vigilo.exe &
wine_pid=$!
# Running means Vigilo's own window is there, not just that Wine started.
shown() { xdotool search --name '^Vigilo v1\.0' >/dev/null 2>&1; }
for _ in $(seq 120); do
  shown || ! kill -0 "$wine_pid" 2>/dev/null && break
  sleep 0.5
done
if ! shown; then
  echo "Vigilo's window did not appear (build/${VIGILO_ARCH:-win32}/vigilo.exe under $(wine --version))." >&2
  exit 1
fi
sleep 2  # let it paint
import -window root -crop 640x480+0+0 vigilo.png
echo "Vigilo is running in $PWD; screenshot: $PWD/vigilo.png. Press Ctrl-C to stop."
wait "$wine_pid"
