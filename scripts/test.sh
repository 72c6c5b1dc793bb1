#!/usr/bin/env bash
# Every test: native unit tests, then under Wine the same core tests built
# for Windows, the platform tests and the black-box tests of the real window.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

ctest --preset native
scripts/check-exe.sh build/win32/vigilo.exe
VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh bash -c '
  ctest --preset win64 -LE blackbox &&
  ctest --preset win32 -j 8 --timeout 600'

echo "All tests passed in $(( $(date +%s) - start )) s."
