# Runs inside the emulated PC as its only job; the host puts $src and $tests
# above this. Prints each run's output as it comes, each line after its
# run's name, then one "VIGILO-GUEST: ..." line a run and "VIGILO-GUEST:
# PASS" or "FAIL" last, which the host reads.
mkdir -p "$src"
mount --bind "/mnt/run/tree$src" "$src"
cd "$src" || exit 1
export HOME=/root
# 32-bit prefixes, as on 32-bit Windows: the exes here are all 32-bit, and
# a prefix without the 64-bit half takes the software CPU half the time.
export WINEARCH=win32
# Prefixes go on the guest's disk, copied from the templates made with the
# image (scripts/guest-prefixes.sh): one on a tmpfs made a second run fail
# here without a word.
export TMPDIR=/var/tmp
# The tests' time bounds, stretched for the software CPU.
export VIGILO_TIME_SCALE=5
up() { cut -d. -f1 /proc/uptime; }
echo "VIGILO-GUEST: up in $(up) s: $(uname -m) kernel $(uname -r), $(nproc) CPUs, $(wine --version), 32-bit Wine $(dpkg-query -W -f='${Version}' wine32:i386)"

# Each run has a Wine prefix, display and Wine server of its own; the runs
# go side by side: most of their time is the watchdog's real intervals, not
# the CPU.
win98=(env VIGILO_WINE_VERSION=win98 LANG=ru_RU.UTF-8)
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
ctest_32=(ctest --test-dir build/win32-tests --output-on-failure --timeout 900 -j 2
  --repeat until-pass:2)
# What differs in the 32-bit build: the core and the platform layer at 32
# bits, the exe's start, window procedure, drawing (the pixel comparison
# with the 32-bit reference), keys, DPI, launches, jobs and kills, and the
# Russian Windows 98 runs. Left to the 64-bit build on the host, whose
# source is the same: the suites that wait on the watchdog's real intervals
# (WorkedSequence and LaunchFailure, whose ticked worked sequence runs here
# in the Windows 98 runs; Desktop, a freeze timed against the real 30 s),
# Window's table of places and captions (279 s, the guest's longest),
# DpiStart (a prefix of its own made at 144 DPI, 76 s; the DPI change runs
# here in Dpi), Settings (typing and registry round trips) and the soak.
# $tests can name others (ctest -R).
run 32-bit scripts/with-wine.sh "${ctest_32[@]}" -LE win98 \
  -E 'blackbox_(Soak|Settings|Desktop|Window|WorkedSequence|LaunchFailure|DpiStart)$' \
  ${tests:+-R "$tests"} &
run russian-win98 "${win98[@]}" scripts/with-wine.sh "${ctest_32[@]}" -L win98 &
wait

status=0
for name in 32-bit russian-win98; do
  grep -q ': passed in' "/tmp/$name.result" || status=1
done
for name in 32-bit russian-win98; do echo "VIGILO-GUEST: $(cat "/tmp/$name.result")"; done
echo "VIGILO-GUEST: done $(up) s after the boot"
[ $status -eq 0 ] && echo "VIGILO-GUEST: PASS" || echo "VIGILO-GUEST: FAIL"
