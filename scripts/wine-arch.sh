#!/usr/bin/env bash
# Which path this machine takes. Prints "win32" where the shipped 32-bit exe
# runs at native speed: the project's own root (scripts/root.sh) started
# under bubblewrap and its 32-bit Wine ran a tiny 32-bit exe. Else "win64":
# the host's 64-bit Wine runs the 64-bit build, and the 32-bit exe is tested
# in the root booted in QEMU. One line on stderr says why.
# Some kernels run no 32-bit code at all, and some forbid the namespaces
# bubblewrap needs: only running it tells. VIGILO_NO_WINE32=1 takes the QEMU
# path anyway. The answer is kept in build/wine-arch while this boot, the
# root and bubblewrap stay the same; a probe that timed out is not kept.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VIGILO_NO_WINE32:-}" = 1 ]; then
  echo "Runtime: 64-bit Wine on the host (VIGILO_NO_WINE32=1); the 32-bit exe in the root booted in QEMU." >&2
  echo win64
  exit 0
fi
if ! root=$(scripts/root.sh dir); then
  echo "Runtime: 64-bit Wine on the host, until the 32-bit root is made." >&2
  echo win64
  exit 0
fi
cache=build/wine-arch
key=$( { cat /proc/sys/kernel/random/boot_id 2>/dev/null; echo "$root $(id -u)"
         bwrap --version 2>&1 || true; } | sha256sum | cut -c1-32)
if [ -f "$cache" ] && [ "$(sed -n 1p "$cache")" = "$key" ]; then
  sed -n 3p "$cache" >&2
  sed -n 2p "$cache"
  exit 0
fi

mkdir -p build/wine-probe
exe=build/wine-probe/probe32.exe
[ -f "$exe" ] || printf 'int main(void) { return 42; }\n' |
  i686-w64-mingw32-gcc -x c -o "$exe" -
status=0
out=$(timeout 60 scripts/root.sh run true 2>&1) || status=$?
if [ $status -ne 0 ]; then
  arch=win64
  why="Runtime: 64-bit Wine on the host (bubblewrap cannot start the 32-bit root: $(head -n 1 <<<"$out" | cut -c1-120)); the 32-bit exe in the root booted in QEMU."
else
  out=$(timeout 120 scripts/root.sh run env WINEPREFIX=/tmp/probe WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        wine "$exe" 2>&1 </dev/null) || status=$?
  if [ $status -eq 42 ]; then
    arch=win32
    why="Runtime: the 32-bit exe under the root's 32-bit Wine, at native speed (bubblewrap); the 64-bit build's core and platform tests under the host's 64-bit Wine."
  else
    arch=win64
    reason=$(grep -m1 -v '^$' <<<"$out" | cut -c1-100)
    why="Runtime: 64-bit Wine on the host (the root's 32-bit Wine did not run a 32-bit exe: ${reason:-exit $status}); the 32-bit exe in the root booted in QEMU."
  fi
fi
# A probe that timed out (a machine busy for a while) says nothing lasting.
[ $status -eq 124 ] || printf '%s\n%s\n%s\n' "$key" "$arch" "$why" >"$cache"
echo "$why" >&2
echo "$arch"
