#!/usr/bin/env bash
# Makes a server folder: vigilo.exe beside the stand-in nwserver.exe.
set -euo pipefail
folder=$1
mkdir -p "$folder"
cp build/win32/vigilo.exe build/win32/standin/nwserver.exe "$folder/"
