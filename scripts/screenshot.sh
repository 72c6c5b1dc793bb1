#!/usr/bin/env bash
# Saves a picture of the main window, as Wine draws it, to the file named.
set -euo pipefail
out=$(realpath -m "$1")
folder=$(mktemp -d /tmp/vigilo-shot.XXXXXX)
scripts/demo-folder.sh "$folder"
cd "$folder"
wine explorer /desktop=Vigilo,600x440 vigilo.exe &
sleep 6
mkdir -p "$(dirname "$out")"
import -window root -crop 600x440+0+0 "$out"
wineserver -k || true
rm -rf "$folder"
echo "Saved $out"
