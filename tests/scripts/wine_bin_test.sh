#!/usr/bin/env bash
# scripts/wine/bin/wine against fake loaders that print the personality they
# run with: without a preloader beside the 64-bit loader, Wine starts
# without address randomization; with one, as it would anyway.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
lib=$(mktemp -d)
trap 'rm -rf "$lib"' EXIT
printf '#!/bin/sh\nexit 1\n' >"$lib/wine"
printf '#!/bin/sh\ncat /proc/self/personality\n' >"$lib/wine64"
chmod +x "$lib/wine" "$lib/wine64"
own=$(( 0x$(cat /proc/self/personality) ))
# $1: case; $2: the personality wanted.
check() {
  local got=$(( 0x$(VIGILO_WINE_LIB="$lib" "$here/scripts/wine/bin/wine") ))
  [ "$got" -eq "$2" ] || { printf 'Wine wrapper, %s: personality %x, wanted %x\n' "$1" "$got" "$2"; exit 1; }
}
check "no preloader" $(( own | 0x0040000 ))  # ADDR_NO_RANDOMIZE
touch "$lib/wine64-preloader"
check "a preloader" $own
echo "Wine wrapper: 2 cases passed."
