#!/usr/bin/env bash
# The shared cache's rules (scripts/lib.sh): an item that a run holds is
# not removed, one that none holds is; an item is made once, and a failed
# making leaves nothing; a stopped making leaves no process; lint's kept
# verdict stands only for the very sources it was given on.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
XDG_CACHE_HOME=$(mktemp -d)
export XDG_CACHE_HOME
trap 'rm -rf "$XDG_CACHE_HOME"' EXIT
. "$here/scripts/lib.sh"
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

# Made once, whole: an older recipe's that no run holds goes; a making
# that fails leaves neither the item nor its partial folder.
mkdir -p "$cache/item-old"
make_once "$cache/item-new" "$cache/item-*" bash -c 'touch "$1/made"; echo x >>"$0"' "$cache/makes"
make_once "$cache/item-new" "$cache/item-*" bash -c 'echo x >>"$0"' "$cache/makes"
[ -f "$cache/item-new/made" ] && [ "$(wc -l <"$cache/makes")" -eq 1 ] || fail "not made exactly once"
[ ! -e "$cache/item-old" ] || fail "kept an older recipe's item that no run held"
! make_once "$cache/item-bad" "" false || fail "a failed making passed"
[ -z "$(ls -d "$cache"/item-bad "$cache"/item-bad.partial.* 2>/dev/null)" ] || fail "a failed making left a folder"

# A stop: every process of the making has ended within seconds.
marker=vigilo-cache-test-$$
(stoppable bash -c "(exec -a $marker sleep 300) & exec -a $marker sleep 300") &
maker=$!
sleep 1
pgrep -f "$marker" >/dev/null || fail "the making did not start"
kill -TERM $maker
for _ in 1 2 3 4 5; do pgrep -f "$marker" >/dev/null || break; sleep 1; done
! pgrep -f "$marker" >/dev/null || fail "a stopped making left its processes running"

# Lint in a tree of one source, with fake tools: clang-tidy fails on "BAD".
tree=$XDG_CACHE_HOME/tree
mkdir -p "$tree/scripts/checks" "$tree/bin" "$tree"/build/{native,win32-tests,win32}
cp "$here/scripts/lib.sh" "$tree/scripts/"
cp "$here/scripts/checks/lint.sh" "$tree/scripts/checks/"
echo "[{\"directory\": \"$tree\", \"command\": \"c++ -c a.cpp\", \"file\": \"$tree/a.cpp\"}]" |
  tee "$tree"/build/{native,win32-tests,win32}/compile_commands.json >/dev/null
for tool in clang-format i686-w64-mingw32-g++-posix i686-w64-mingw32-g++-win32; do
  printf '#!/bin/sh\nexit 0\n' >"$tree/bin/$tool"
done
printf '#!/bin/sh\necho tidy >>"%s/tidied"\n! grep -q BAD "%s/a.cpp"\n' "$tree" "$tree" >"$tree/bin/clang-tidy"
chmod +x "$tree/bin/"*
git -C "$tree" init -q
# $1: what a.cpp holds; $2: lint's exit status wanted; $3: whether clang-tidy must run.
lint() {
  local status=0
  echo "$1" >"$tree/a.cpp"
  rm -f "$tree/tidied"
  PATH=$tree/bin:$PATH "$tree/scripts/checks/lint.sh" >/dev/null 2>&1 || status=$?
  [ $status -eq "$2" ] || fail "lint on \"$1\": exit $status, wanted $2"
  [ "$([ -e "$tree/tidied" ] && echo true || echo false)" = "$3" ] ||
    fail "lint on \"$1\": whether clang-tidy ran was not $3"
}
lint 'int a;' 0 true
lint 'int a;' 0 false
lint 'int BAD;' 1 true
lint 'int BAD;' 1 true
echo "Cache: 4 cases passed."
