#!/usr/bin/env bash
# Every test: native unit tests (also under ASan and UBSan, with the fuzz
# corpus replayed), lint, then under Wine the same core tests built
# for Windows, the platform tests and the black-box tests of the real window;
# beside them, in a prefix where Wine reports a Russian Windows 98 (code page
# 1251), the 9x code path and the fonts' character set.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

ctest --preset native
ctest --preset native-asan
scripts/lint.sh
scripts/check-exe.sh build/win32/vigilo.exe
scripts/check-win98.sh build/win32/vigilo.exe

win98_log=build/win98-tests.log
VIGILO_OWN_DISPLAY=1 VIGILO_WINE_VERSION=win98 LANG=ru_RU.UTF-8 scripts/with-wine.sh \
  ctest --preset win32 -L win98 -j 4 --timeout 600 >"$win98_log" 2>&1 &
win98=$!
trap 'kill $win98 2>/dev/null || true' EXIT
VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh bash -c '
  ctest --preset win64 -LE blackbox &&
  ctest --preset win32 -j 8 -LE win98 --timeout 600'
status=0
wait $win98 || status=$?
echo "Under Wine reporting a Russian Windows 98:"
cat "$win98_log"
[ $status -eq 0 ] || exit $status

echo "All tests passed in $(( $(date +%s) - start )) s."
