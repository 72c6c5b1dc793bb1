#!/usr/bin/env bash
# Prints "win32" when 32-bit Wine runs programs on this machine, else "win64";
# one line on stderr says why. Decided by running a tiny 32-bit exe, not by
# the kernel's version: some kernels run no 32-bit code at all, and then
# 32-bit Wine cannot start. VIGILO_NO_WINE32=1 takes the 64-bit path anyway.
# The answer is kept in build/wine-arch while this boot and the installed
# Wine packages stay the same; a probe that timed out is not kept.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=build/wine-arch
key=$( { cat /proc/sys/kernel/random/boot_id 2>/dev/null
          dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null
        } | sha256sum | cut -c1-32)

if [ "${VIGILO_NO_WINE32:-}" = 1 ]; then
  echo "Runtime: 64-bit Wine (VIGILO_NO_WINE32=1); the 32-bit exe in an emulated PC." >&2
  echo win64
  exit 0
fi
if [ -f "$cache" ] && [ "$(sed -n 1p "$cache")" = "$key" ]; then
  sed -n 3p "$cache" >&2
  sed -n 2p "$cache"
  exit 0
fi

mkdir -p build/wine-probe
exe=build/wine-probe/probe32.exe
[ -f "$exe" ] || printf 'int main(void) { return 42; }\n' |
  i686-w64-mingw32-gcc -x c -o "$exe" -
prefix=$(mktemp -d /tmp/vigilo-probe.XXXXXX)
status=0
out=$(WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= \
      timeout 120 wine "$exe" 2>&1 </dev/null) || status=$?
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
rm -rf "$prefix"

if [ $status -eq 42 ]; then
  arch=win32
  why="Runtime: native 32-bit Wine (a 32-bit exe ran here); every runtime test on the 32-bit build."
else
  arch=win64
  reason=$(grep -m1 -v '^$' <<<"$out" | cut -c1-100)
  why="Runtime: 64-bit Wine (a 32-bit exe did not run: ${reason:-exit $status}); the 32-bit exe in an emulated PC."
fi
[ $status -eq 124 ] || printf '%s\n%s\n%s\n' "$key" "$arch" "$why" >"$cache"
echo "$why" >&2
echo "$arch"
