#!/usr/bin/env bash
# `make run`: Vigilo under Wine in build/demo, beside the stand-in server.
# $VIGILO_ARCH names the build: win32, the shipped exe, runs in the project's
# 32-bit root (scripts/root.sh); win64 under the host's Wine. With a display
# the window opens there; without one a virtual display is started, a
# screenshot saved to build/demo/vigilo.png, and Vigilo runs on until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${VIGILO_ARCH:-win32}
# Without a display, on a virtual one that ends with the run.
[ -n "${DISPLAY:-}" ] || exec env VIGILO_SCREEN=1024x768x24 scripts/with-display.sh "$0" --virtual
rm -f build/demo/vigilo.png
scripts/demo-folder.sh build/demo

# A prefix of its own that lasts between runs, so saved settings stay.
prefix=$PWD/build/wineprefix
if [ "$arch" = win32 ]; then
  prefix=$PWD/build/wineprefix-root
  echo "Running build/win32/vigilo.exe, the shipped 32-bit exe, under the 32-bit root's Wine at native speed."
elif scripts/root.sh dir >/dev/null; then
  echo "Running build/win64/vigilo.exe under the host's 64-bit Wine (the 32-bit root cannot run here)."
else
  why="the 32-bit root is not made yet"
  # Made for the next run without holding up this one; its clean-up is its own.
  if command -v mmdebstrap bwrap >/dev/null && scripts/as-root.sh how >/dev/null 2>&1; then
    setsid scripts/root.sh make >build/root-make.log 2>&1 </dev/null &
    why="the 32-bit root is being made for the next run: build/root-make.log"
  fi
  echo "Running build/win64/vigilo.exe under the host's 64-bit Wine ($why)."
fi
[ -f "$prefix/system.reg" ] || echo "Preparing a Wine prefix in ${prefix#"$PWD"/} (once, about 20 s)..."

# Runs $@ in build/demo under the build's Wine, with the demo's prefix.
wine_in_demo() {
  VIGILO_WINEPREFIX=$prefix scripts/root.sh on "$arch" scripts/with-wine.sh \
    bash -c 'cd build/demo && exec "$@"' - "$@"
}

if [ "${1:-}" != --virtual ]; then
  echo "Starting Vigilo in $PWD/build/demo on display $DISPLAY."
  wine_in_demo wine vigilo.exe
  exit
fi

wine_pid=
# The root's Wine ends with its sandbox; the host's is told to.
trap '[ -z "$wine_pid" ] || kill $wine_pid 2>/dev/null
  [ "$arch" = win32 ] || WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
echo "No display found: started a virtual display ($DISPLAY)."
# Wine's virtual desktop draws the window frame, as a window manager would.
# Its output would only be noise once Ctrl-C has ended the display.
wine_in_demo wine explorer /desktop=Vigilo,640x480 vigilo.exe 2>/dev/null &
wine_pid=$!
# Running means Vigilo's own window is there, not just that Wine started.
shown() { xdotool search --name '^Vigilo v1\.0' >/dev/null 2>&1; }
for _ in $(seq 120); do
  shown || ! kill -0 "$wine_pid" 2>/dev/null && break
  sleep 0.5
done
if ! shown; then
  echo "Vigilo's window did not appear (build/$arch/vigilo.exe)." >&2
  exit 1
fi
sleep 2  # let it paint
import -window root -crop 640x480+0+0 build/demo/vigilo.png
echo "Vigilo is running in $PWD/build/demo; screenshot: $PWD/build/demo/vigilo.png. Press Ctrl-C to stop."
wait "$wine_pid"
