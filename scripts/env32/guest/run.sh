# The emulated PC's test run: the suites labelled "guest" and the Russian
# Windows 98 runs, side by side; each line of their output after its run's
# name, then "VIGILO-GUEST: ..." lines, PASS or FAIL last, for the host.
# Prefixes 32-bit only (half the software CPU's time), on the guest's disk
# (on a tmpfs a second run failed without a word).
export WINEARCH=win32 TMPDIR=/var/tmp
up() { cut -d. -f1 /proc/uptime; }
echo "VIGILO-GUEST: up in $(up) s: $(uname -m) kernel $(uname -r), $(nproc) CPUs, $(wine --version), 32-bit Wine $(dpkg-query -W -f='${Version}' wine32:i386)"

run() {
  local name=$1 t0 result=passed
  shift
  t0=$(date +%s)
  # Also to the console as it comes, so that the host's log shows where a
  # run that never ends stands.
  "$@" 2>&1 | tee "/tmp/$name.log" | sed -u "s/^/$name| /"
  [ "${PIPESTATUS[0]}" -eq 0 ] || result=FAILED
  echo "$name: $result in $(( $(date +%s) - t0 )) s ($(grep -a 'tests passed' "/tmp/$name.log" | tail -n 1))" \
    >"/tmp/$name.result"
}
# The software CPU's clock and pace are uneven: a test that failed gets one
# more try there (a real fault fails both); the failure stays in the log.
ctest=(ctest --test-dir build/win32-tests --output-on-failure -j 2 --repeat until-pass:2)
run 32-bit scripts/wine/with-wine.sh "${ctest[@]}" -L guest -LE win98 &
run russian-win98 env LANG=ru_RU.UTF-8 scripts/wine/with-wine.sh --windows win98 "${ctest[@]}" -L win98 &
wait

status=0
for name in 32-bit russian-win98; do
  grep -q ': passed in' "/tmp/$name.result" || status=1
  echo "VIGILO-GUEST: $(cat "/tmp/$name.result")"
done
echo "VIGILO-GUEST: done $(up) s after the boot"
[ $status -eq 0 ] && echo "VIGILO-GUEST: PASS" || echo "VIGILO-GUEST: FAIL"
