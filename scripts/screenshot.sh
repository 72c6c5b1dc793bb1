#!/usr/bin/env bash
# Saves a picture of the main window, as Wine draws it, on a virtual display
# of the host's: screenshot.sh BUILD FILE (win32 runs in the 32-bit root).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${3:-}" = --on-display ] ||
  exec scripts/wine/with-display.sh --own --screen 800x600x24 "$0" "$1" "$2" --on-display
build=$1
out=$(realpath -m "$2")
folder=build/shot
rm -rf "$folder"
mkdir -p "$folder"
cp "build/$build/vigilo.exe" "build/$build/standin/nwserver.exe" "$folder/"
# Wine runs until the picture is taken, then with-wine.sh clears it away.
scripts/env32/root.sh on "$build" scripts/wine/with-wine.sh bash -c 'cd "$1" &&
  { wine explorer /desktop=Vigilo,600x440 vigilo.exe & } && until [ -f taken ]; do sleep 0.2; done' - "$folder" &
wine=$!
sleep 8
mkdir -p "$(dirname "$out")"
import -window root -crop 600x440+0+0 "$out"
touch "$folder/taken"
wait $wine
echo "Saved $out"
