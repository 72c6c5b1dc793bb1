#!/usr/bin/env bash
# A TERM to the Wine wrapper alone, as a stopped run sends it: within 10 s
# its command, its Wine processes, its display and its prefix are gone.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
marker=vigilo-stop-test-$$
tmp=$(mktemp -d)
trap 'pkill -f "$marker" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "Stop: $*"; exit 1; }
# Named only once it runs: the wrapper's own command line must not match.
echo "wine cmd /c echo >/dev/null 2>&1; exec -a $marker sleep 301" >"$tmp/command"
TMPDIR=$tmp "$here/scripts/wine/with-wine.sh" --own-display bash "$tmp/command" &
wrapper=$!
for _ in $(seq 120); do pgrep -f "$marker" >/dev/null && break; sleep 0.5; done
pgrep -f "$marker" >/dev/null || fail "the command did not start"
prefix=$(ls -d "$tmp"/vigilo-wine.*)
xvfb=$(pgrep -P $wrapper Xvfb)
left() {
  pgrep -f "$marker" || true
  ! kill -0 "$xvfb" 2>/dev/null || echo "Xvfb $xvfb"
  ps -eo pid=,args= | grep -F "$prefix" | grep -v grep || true
  for pid in $(pgrep -f 'wineserver|\.exe'); do
    grep -qF "WINEPREFIX=$prefix" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  [ ! -e "$prefix" ] || echo "the prefix $prefix"
}
[ -n "$(left)" ] || fail "found nothing of the run to end"
kill -TERM $wrapper
for _ in $(seq 20); do [ -z "$(left)" ] && break; sleep 0.5; done
[ -z "$(left)" ] || fail "10 s after a TERM to the wrapper, left: $(left | tr '\n' ' ')"
echo "Stop: 1 case passed."
