#!/usr/bin/env bash
# `make run` (run-demo.sh BUILD): Vigilo under Wine in build/demo, beside
# the stand-in server; win32, the shipped exe, runs in the 32-bit root. With
# a display the window opens there; without one, on a virtual display,
# with a screenshot in build/demo/vigilo.png, until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
# Without a display, on a virtual one that ends with the run.
[ -n "${DISPLAY:-}" ] || exec scripts/wine/with-display.sh --screen 1024x768x24 "$0" "$build" --virtual
rm -rf build/demo/vigilo.png
mkdir -p build/demo build/logs
cp "build/$build/vigilo.exe" "build/$build/standin/nwserver.exe" build/demo/

# A prefix of its own that lasts between runs, so saved settings stay.
prefix=$PWD/build/wineprefix
if [ "$build" = win32 ]; then
  prefix=$PWD/build/wineprefix-root
  echo "Running build/win32/vigilo.exe, the shipped 32-bit exe, under the 32-bit root's Wine at native speed."
elif scripts/env32/root.sh dir >/dev/null; then
  echo "Running build/win64/vigilo.exe under the host's 64-bit Wine (the 32-bit root cannot run here)."
else
  why="the 32-bit root is not made yet"
  # Made for the next run without holding up this one; its clean-up is its own.
  if command -v mmdebstrap bwrap >/dev/null && scripts/privileged.sh how >/dev/null 2>&1; then
    setsid scripts/env32/root.sh make >build/logs/demo-root-make.log 2>&1 </dev/null &
    why="the 32-bit root is being made for the next run: build/logs/demo-root-make.log"
  fi
  echo "Running build/win64/vigilo.exe under the host's 64-bit Wine ($why)."
fi
[ -f "$prefix/system.reg" ] || echo "Preparing a Wine prefix in ${prefix#"$PWD"/} (once, about 20 s)..."

# Runs $@ in build/demo under the build's Wine, with the demo's prefix.
wine_in_demo() {
  scripts/env32/root.sh on "$build" scripts/wine/with-wine.sh --prefix "$prefix" \
    bash -c 'cd build/demo && exec "$@"' - "$@"
}

if [ "${2:-}" != --virtual ]; then
  echo "Starting Vigilo in $PWD/build/demo on display $DISPLAY."
  wine_in_demo wine vigilo.exe
  exit
fi

echo "No display found: started a virtual display ($DISPLAY)."
# Wine's virtual desktop draws the window frame, as a window manager would.
# Its output would only be noise once Ctrl-C has ended the display.
wine_in_demo wine explorer /desktop=Vigilo,640x480 vigilo.exe 2>/dev/null &
wine_pid=$!
trap 'kill $wine_pid 2>/dev/null || true' EXIT
# Running means Vigilo's own window is there, not just that Wine started.
shown() { xdotool search --name '^Vigilo v1\.0' >/dev/null 2>&1; }
for _ in $(seq 120); do
  shown || ! kill -0 "$wine_pid" 2>/dev/null && break
  sleep 0.5
done
if ! shown; then
  echo "Vigilo's window did not appear (build/$build/vigilo.exe)." >&2
  exit 1
fi
sleep 2  # let it paint
import -window root -crop 640x480+0+0 build/demo/vigilo.png
echo "Vigilo is running in $PWD/build/demo; screenshot: $PWD/build/demo/vigilo.png. Press Ctrl-C to stop."
wait "$wine_pid"
