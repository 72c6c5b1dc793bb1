#!/usr/bin/env bash
# Saves a picture of the main window, as Wine draws it, to the file named:
# the build $VIGILO_ARCH names (win32 unless told; it runs in the project's
# 32-bit root), on a virtual display of the host's.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${1:-}" = --on-display ] || exec env VIGILO_OWN_DISPLAY=1 VIGILO_SCREEN=800x600x24 \
  scripts/with-display.sh "$0" --on-display "$@"
out=$(realpath -m "$2")
arch=${VIGILO_ARCH:-win32}
folder=build/shot
rm -rf "$folder"
VIGILO_ARCH=$arch scripts/demo-folder.sh "$folder"
# Wine runs until the picture is taken, then with-wine.sh clears it away.
scripts/root.sh on "$arch" scripts/with-wine.sh bash -c 'cd "$1" && { wine explorer /desktop=Vigilo,600x440 vigilo.exe & } &&
  until [ -f taken ]; do sleep 0.2; done' - "$folder" &
wine=$!
sleep 8
mkdir -p "$(dirname "$out")"
import -window root -crop 600x440+0+0 "$out"
touch "$folder/taken"
wait $wine
echo "Saved $out"
