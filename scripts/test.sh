#!/usr/bin/env bash
# Every test: native unit tests (also under ASan and UBSan, with the fuzz
# corpus replayed), lint, then under Wine the same core tests built
# for Windows, the platform tests and the black-box tests of the real window;
# beside them, in a prefix where Wine reports a Russian Windows 98 (code page
# 1251), the 9x code path and the fonts' character set.
# Where 32-bit Wine runs, all that runs on the 32-bit build (the product);
# where it cannot (scripts/wine-arch.sh), on the 64-bit build under 64-bit
# Wine, and the 32-bit build's tests then run in an emulated PC.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
arch=$(scripts/wine-arch.sh)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT

# Making the emulated PC is mostly downloads: it goes on beside the tests
# here. Running it takes both cores, so that waits for them: beside a busy
# software CPU, 64-bit Wine now and then failed to start a server.
guest_log=build/guest-make.log
if [ "$arch" = win64 ]; then
  nice -n 10 scripts/guest-test.sh make >"$guest_log" 2>&1 &
  guest=$!
  pids+=("$guest")
fi

ctest --preset native
ctest --preset native-asan
tests/scripts/setup_test.sh
if why=$(scripts/lint.sh --check-tools); then
  scripts/lint.sh
else
  echo "Lint skipped: ${why#Lint: }"
fi
scripts/check-exe.sh build/win32/vigilo.exe
scripts/check-win98.sh build/win32/vigilo.exe
scripts/check-exe.sh build/win64/vigilo.exe
scripts/check-win64.sh build/win64/vigilo.exe build/win32/vigilo.exe
scripts/check-release.sh

win98_log=build/win98-tests.log
VIGILO_OWN_DISPLAY=1 VIGILO_WINE_VERSION=win98 LANG=ru_RU.UTF-8 scripts/with-wine.sh \
  ctest --preset "$arch" -L win98 -j 4 --timeout 600 >"$win98_log" 2>&1 &
win98=$!
pids+=("$win98")
other=win64
[ "$arch" = win64 ] && other=
VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh bash -c '
  { [ -z "$1" ] || ctest --preset "$1" -LE blackbox; } &&
  ctest --preset "$2" -j 8 -LE win98 --timeout 600' - "$other" "$arch"
status=0
wait $win98 || status=$?
echo "Under Wine reporting a Russian Windows 98:"
cat "$win98_log"
[ $status -eq 0 ] || exit $status

if [ "$arch" = win64 ]; then
  wait "$guest" || { cat "$guest_log"; exit 1; }
  cat "$guest_log"
  scripts/guest-test.sh
fi

ran="Ran: every runtime test on the $arch build under $( [ "$arch" = win32 ] && echo "native 32-bit" || echo "64-bit") Wine"
[ -z "$other" ] || ran+=", and the core and platform tests of the $other build"
[ "$arch" = win32 ] || ran+="; the 32-bit build's tests in the emulated PC"
echo "$ran."
echo "All tests passed in $(( $(date +%s) - start )) s."
