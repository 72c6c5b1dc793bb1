#!/usr/bin/env bash
# Makes a server folder: vigilo.exe beside the stand-in nwserver.exe, both of
# the build $VIGILO_ARCH names (win32 unless told).
set -euo pipefail
folder=$1
build=build/${VIGILO_ARCH:-win32}
mkdir -p "$folder"
cp "$build/vigilo.exe" "$build/standin/nwserver.exe" "$folder/"
