#!/usr/bin/env bash
# `make test`: builds and runs every test, as docs/testing.md draws it. The
# suites that wait on the watchdog's real intervals start as soon as their
# exes are built, beside the other builds and lint. Every output goes to
# build/logs/, and a failure names its log. However the run ends (a
# failure, TERM, Ctrl-C), each of its steps ends with it, whole.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
start=$(date +%s)
jobs=$(nproc)
logs=build/logs
mkdir -p "$logs"
rm -f "$logs/host-done"
stamp() { echo "[$(( $(date +%s) - start )) s] $*"; }

# Each step runs in a session of its own, so that it can be ended whole; the
# foreground ones too, so that a stop is taken at once.
steps=()
spawn() { setsid "$@" & steps+=($!); }
step() { spawn "$@"; wait $!; }
trap 'for s in "${steps[@]}"; do kill -- -"$s" 2>/dev/null || true; done' EXIT
trap 'exit 143' TERM INT
build() {
  local preset
  for preset; do
    cmake --preset "$preset" >/dev/null
    step nice -n 5 cmake --build --preset "$preset" -j "$jobs" >"$logs/build-$preset.log" 2>&1 ||
      { tail -n 40 "$logs/build-$preset.log"; echo "Build of $preset failed: $logs/build-$preset.log."; exit 1; }
  done
}
# In the background: $1 names its log, the rest is the command.
background() { spawn "${@:2}" >"$logs/$1.log" 2>&1; }
# Waits for background step $2, its log named $3; says $1 and shows the log.
finish() {
  local status=0
  wait "$2" || status=$?
  echo "$1:"
  cat "$logs/$3.log"
  [ $status -eq 0 ] || { echo "$1: failed; its log: $logs/$3.log."; exit $status; }
}
# In the background, a ctest preset's suites under Wine, each with a display,
# prefix and Wine server of its own: $1 names the log; $2: "root" to run in
# the 32-bit root, else on the host; $3: the preset, then ctest's options
# (-L win98: the Russian Windows 98 runs).
suites() {
  local log=$1 where=$2 preset=$3 run=(scripts/wine/with-wine.sh --own-display)
  shift 3
  [[ " $* " != *" -L win98 "* ]] || run=(env LANG=ru_RU.UTF-8 "${run[@]}" --windows win98)
  [ "$where" != root ] || run=(scripts/env32/root.sh run "${run[@]}")
  background "$log" "${run[@]}" ctest --preset "$preset" "$@"
}

# The root: mostly downloads, made beside the first builds.
root_log=$logs/root-make.log
root_pid=
if ! scripts/env32/root.sh dir >/dev/null; then
  # What it says on stderr comes to the terminal at once.
  spawn scripts/env32/root.sh make >"$root_log"
  root_pid=$!
fi
build win32 win32-tests
stamp "Built the 32-bit exe and its tests."
# Where the root cannot be made (exit 3: no user namespaces, no sudo),
# everything else runs, and the run fails at its end saying so.
unproven=
if [ -n "$root_pid" ]; then
  status=0
  wait "$root_pid" || status=$?
  cat "$root_log"
  [ $status -eq 0 ] || [ $status -eq 3 ] || { echo "Its log: $root_log."; exit 1; }
  [ $status -eq 0 ] || unproven=$(tail -n 1 "$root_log")
fi
path=$(scripts/env32/path.sh)
if [ "$path" = native ]; then
  suites root-tests root win32 -j 8 -LE win98
  root32=$!
  suites win98-tests root win32 -j 4 -L win98
  win98=$!
  build native native-asan win64 win64-tests
else
  # QEMU's software CPU: the tests' bounds and waits five times as long.
  cmake --preset win32-tests -DVIGILO_TIME_SCALE=5 >/dev/null
  if [ -z "$unproven" ]; then
    scripts/setup.sh qemu
    # The guest boots once the host's builds and lint are done (qemu.sh).
    background guest-test scripts/env32/qemu.sh --after "$logs/host-done"
    guest=$!
  fi
  # Every runtime test of the 64-bit build, on the host: built first, its
  # suites then wait beside the other builds and lint.
  build win64 win64-tests
  stamp "Built the 64-bit exe and its tests."
  suites host64-tests host win64 -j 8 -LE win98
  host64=$!
  suites win98-tests host win64 -j 4 -L win98
  win98=$!
  build native native-asan
fi
stamp "Built the rest."
step ctest --preset native
step ctest --preset native-asan
for script_test in tests/scripts/*_test.sh; do step "$script_test"; done
if why=$(scripts/checks/lint.sh --check-tools); then
  step nice -n 5 scripts/checks/lint.sh
else
  echo "Lint skipped: ${why#Lint: }"
fi
for exe in win32 win64; do step scripts/checks/exe.sh build/$exe/vigilo.exe; done
step scripts/checks/win98.sh build/win32/vigilo.exe
step scripts/checks/win64.sh build/win64/vigilo.exe build/win32/vigilo.exe
step scripts/checks/release.sh
touch "$logs/host-done"

if [ "$path" = native ]; then
  suites host64-tests host win64 -LE blackbox
  finish "The 64-bit build's core and platform tests under the host's 64-bit Wine" $! host64-tests
  finish "The 32-bit exe in the root, at native speed" "$root32" root-tests
  finish "The 32-bit exe in the root, under Wine reporting a Russian Windows 98" "$win98" win98-tests
  echo "Ran: every runtime test on the shipped 32-bit exe in the root at native speed (bubblewrap)," \
    "and the core and platform tests of the 64-bit build under the host's 64-bit Wine."
else
  finish "The 64-bit exe under the host's 64-bit Wine" "$host64" host64-tests
  finish "Under Wine reporting a Russian Windows 98" "$win98" win98-tests
  qemu="; the 32-bit exe's tests in the root booted in QEMU"
  [ -n "$unproven" ] && qemu= || finish "The 32-bit exe in the root booted in QEMU" "$guest" guest-test
  echo "Ran: every runtime test on the 64-bit build under the host's 64-bit Wine$qemu."
fi
if [ -n "$unproven" ]; then
  echo "Not proven: the shipped 32-bit exe's runtime tests. $unproven"
  exit 1
fi
echo "All tests passed in $(( $(date +%s) - start )) s."
