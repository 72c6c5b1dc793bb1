#!/usr/bin/env bash
# Builds and runs every test: native unit tests (also under ASan and UBSan,
# with the fuzz corpus replayed), lint, the import checks; under Wine the
# core tests built for Windows, the platform tests and the black-box tests of
# the real window; beside them, in a prefix where Wine reports a Russian
# Windows 98 (code page 1251), the 9x code path and the fonts' character set.
# The shipped 32-bit exe runs in the project's own root (scripts/root.sh):
# under bubblewrap at native speed where the kernel runs 32-bit code, with
# the 64-bit build's core and platform tests under the host's 64-bit Wine;
# elsewhere (scripts/wine-arch.sh) the 64-bit build runs every runtime test
# on the host and the root is booted in QEMU for the 32-bit tests.
# The suites that wait on the watchdog's real intervals start as soon as
# their exes are built, beside the other builds and lint.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
jobs=$(nproc)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
mkdir -p build
stamp() { echo "[$(( $(date +%s) - start )) s] $*"; }
win98_log=build/win98-tests.log
# In the background, where build $1's exe runs: Wine reporting a Russian
# Windows 98, with a display, prefix and Wine server of its own.
start_win98() {
  VIGILO_OWN_DISPLAY=1 VIGILO_WINE_VERSION=win98 LANG=ru_RU.UTF-8 scripts/root.sh on "$1" scripts/with-wine.sh \
    ctest --preset "$1" -L win98 -j 4 --timeout 600 >"$win98_log" 2>&1 &
  win98=$!
  pids+=("$win98")
}
build() {
  local preset
  for preset; do
    cmake --preset "$preset" >/dev/null
    nice -n 5 cmake --build --preset "$preset" -j "$jobs" >"build/$preset-build.log" 2>&1 ||
      { cat "build/$preset-build.log"; echo "Build of $preset failed."; exit 1; }
  done
}

# The root: mostly downloads, made beside the first builds.
root_log=build/root-make.log
root_pid=
if ! scripts/root.sh dir >/dev/null; then
  scripts/root.sh make >"$root_log" &
  root_pid=$!
  pids+=("$root_pid")
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
  [ $status -eq 0 ] || [ $status -eq 3 ] || exit 1
  [ $status -eq 0 ] || unproven=$(tail -n 1 "$root_log")
fi
arch=$(scripts/wine-arch.sh)

# Each test's time bound, stretched for QEMU's software CPU.
scale=1
[ "$arch" = win32 ] || scale=5
cmake --preset win32-tests -DVIGILO_TIME_SCALE=$scale >/dev/null

root_tests=build/root-tests.log
guest_log=build/guest-test.log
if [ "$arch" = win32 ]; then
  # Each with a display, prefix and Wine server of its own.
  VIGILO_OWN_DISPLAY=1 scripts/root.sh run scripts/with-wine.sh \
    ctest --preset win32 -j 8 -LE win98 --timeout 600 >"$root_tests" 2>&1 &
  root32=$!
  pids+=("$root32")
  start_win98 win32
elif [ -z "$unproven" ]; then
  scripts/setup.sh qemu
  # The guest is made beside the host's builds where it is not; its run
  # waits until they and lint are done (scripts/guest-test.sh says why).
  rm -f build/host-busy-done
  VIGILO_GUEST_AFTER=build/host-busy-done scripts/guest-test.sh >"$guest_log" 2>&1 &
  guest=$!
  pids+=("$guest")
fi

host64_tests=build/host64-tests.log
if [ "$arch" = win32 ]; then
  build native native-asan win64 win64-tests
else
  # Every runtime test of the 64-bit build, on the host: built first, its
  # suites (most of their time the watchdog's real intervals) then wait
  # beside the other builds and lint.
  build win64 win64-tests
  stamp "Built the 64-bit exe and its tests."
  VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh ctest --preset win64 -j 8 -LE win98 --timeout 600 \
    >"$host64_tests" 2>&1 &
  host64=$!
  pids+=("$host64")
  start_win98 win64
  build native native-asan
fi
stamp "Built the rest."
ctest --preset native
ctest --preset native-asan
for script_test in tests/scripts/*_test.sh; do "$script_test"; done
if why=$(scripts/lint.sh --check-tools); then
  nice -n 5 scripts/lint.sh
else
  echo "Lint skipped: ${why#Lint: }"
fi
scripts/check-exe.sh build/win32/vigilo.exe
scripts/check-win98.sh build/win32/vigilo.exe
scripts/check-exe.sh build/win64/vigilo.exe
scripts/check-win64.sh build/win64/vigilo.exe build/win32/vigilo.exe
scripts/check-release.sh
touch build/host-busy-done

# $1: the label; $2: the pid; $3: its log.
finish() {
  local status=0
  wait "$2" || status=$?
  echo "$1:"
  cat "$3"
  [ $status -eq 0 ] || { echo "$1: failed."; exit $status; }
}
if [ "$arch" = win32 ]; then
  stamp "The 64-bit build's core and platform tests under the host's 64-bit Wine:"
  VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh ctest --preset win64 -LE blackbox --timeout 600
  finish "The 32-bit exe in the root, at native speed" "$root32" "$root_tests"
  finish "The 32-bit exe in the root, under Wine reporting a Russian Windows 98" "$win98" "$win98_log"
  ran="Ran: every runtime test on the shipped 32-bit exe in the root at native speed (bubblewrap),"
  ran+=" and the core and platform tests of the 64-bit build under the host's 64-bit Wine."
else
  finish "The 64-bit exe under the host's 64-bit Wine" "$host64" "$host64_tests"
  finish "Under Wine reporting a Russian Windows 98" "$win98" "$win98_log"
  ran="Ran: every runtime test on the 64-bit build under the host's 64-bit Wine"
  [ -z "$unproven" ] || ran+="."
  if [ -z "$unproven" ]; then
    finish "The 32-bit exe in the root booted in QEMU" "$guest" "$guest_log"
    ran+="; the 32-bit exe's tests in the root booted in QEMU."
  fi
fi
echo "$ran"
if [ -n "$unproven" ]; then
  echo "Not proven: the shipped 32-bit exe's runtime tests. $unproven"
  exit 1
fi
echo "All tests passed in $(( $(date +%s) - start )) s."
