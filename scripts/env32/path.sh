#!/usr/bin/env bash
# The path this machine takes to run the shipped 32-bit exe: "native" where
# the root (root.sh) started under bubblewrap and its 32-bit Wine ran a tiny
# 32-bit exe, else "emulated" (qemu.sh; the host's 64-bit Wine runs the
# 64-bit build). Only trying tells: some kernels run no 32-bit code, some
# forbid bubblewrap's namespaces. VIGILO_NO_WINE32=1 takes the emulated path.
# One line on stderr says why. With --build, the build the runtime commands
# use there: win32 or win64. Kept in build/logs/path for this boot, root and
# bubblewrap; not a probe that timed out.
set -euo pipefail
cd "$(dirname "$0")/../.."
answer() {
  echo "$2" >&2
  if [ "${flag:-}" = --build ]; then [ "$1" = native ] && echo win32 || echo win64; else echo "$1"; fi
  exit 0
}
flag=${1:-}
host="64-bit Wine on the host"
[ "${VIGILO_NO_WINE32:-}" != 1 ] ||
  answer emulated "Runtime: $host (VIGILO_NO_WINE32=1); the 32-bit exe in the root booted in QEMU."
root=$(scripts/env32/root.sh dir) || answer emulated "Runtime: $host, until the 32-bit root is made."
kept=build/logs/path
key=$( { cat /proc/sys/kernel/random/boot_id 2>/dev/null; echo "$root $(id -u)"
         bwrap --version 2>&1 || true; } | sha256sum | cut -c1-32)
if [ -f "$kept" ] && [ "$(sed -n 1p "$kept")" = "$key" ]; then
  answer "$(sed -n 2p "$kept")" "$(sed -n 3p "$kept")"
fi

mkdir -p build/logs
exe=build/logs/probe32.exe
[ -f "$exe" ] || printf 'int main(void) { return 42; }\n' | i686-w64-mingw32-gcc -x c -o "$exe" -
status=0
out=$(timeout 60 scripts/env32/root.sh run true 2>&1) || status=$?
if [ $status -ne 0 ]; then
  path=emulated
  why="Runtime: $host (bubblewrap cannot start the 32-bit root: $(head -n 1 <<<"$out" | cut -c1-120)); the 32-bit exe in the root booted in QEMU."
else
  out=$(timeout 120 scripts/env32/root.sh run env WINEPREFIX=/tmp/probe WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" wine "$exe" 2>&1 </dev/null) || status=$?
  if [ $status -eq 42 ]; then
    path=native
    why="Runtime: the 32-bit exe under the root's 32-bit Wine, at native speed (bubblewrap); the 64-bit build's core and platform tests under the host's 64-bit Wine."
  else
    path=emulated
    reason=$(grep -m1 -v '^$' <<<"$out" | cut -c1-100)
    why="Runtime: $host (the root's 32-bit Wine did not run a 32-bit exe: ${reason:-exit $status}); the 32-bit exe in the root booted in QEMU."
  fi
fi
# A probe that timed out (a machine busy for a while) says nothing lasting.
[ $status -eq 124 ] || printf '%s\n%s\n%s\n' "$key" "$path" "$why" >"$kept"
answer "$path" "$why"
