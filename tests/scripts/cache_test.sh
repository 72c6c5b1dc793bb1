#!/usr/bin/env bash
# The shared cache's rules (scripts/cache.sh): an item that a run holds is
# not removed, one that none holds is; a stopped making leaves no process.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
XDG_CACHE_HOME=$(mktemp -d)
export XDG_CACHE_HOME
trap 'rm -rf "$XDG_CACHE_HOME"' EXIT
. "$here/scripts/cache.sh"
fail() { echo "Cache: $*"; exit 1; }

mkdir -p "$cache/root-held" "$cache/root-free"
(hold "$cache/root-held" 7; sleep 5) &
holder=$!
sleep 0.5
remove_unused "$cache/root-held" "$cache/root-free"
[ -d "$cache/root-held" ] || fail "removed a root that a run held"
[ ! -e "$cache/root-free" ] || fail "kept a root that no run held"
kill $holder; wait $holder 2>/dev/null || true
remove_unused "$cache/root-held"
[ ! -e "$cache/root-held" ] || fail "kept a root once its run had ended"

# A stop: every process of the making has ended within seconds.
marker=vigilo-cache-test-$$
(stoppable bash -c "(exec -a $marker sleep 300) & exec -a $marker sleep 300") &
maker=$!
sleep 1
pgrep -f "$marker" >/dev/null || fail "the making did not start"
kill -TERM $maker
for _ in 1 2 3 4 5; do pgrep -f "$marker" >/dev/null || break; sleep 1; done
! pgrep -f "$marker" >/dev/null || fail "a stopped making left its processes running"
echo "Cache: 2 cases passed."
