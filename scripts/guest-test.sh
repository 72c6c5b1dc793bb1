#!/usr/bin/env bash
# Runs the 32-bit exe and its 32-bit tests in the project's 32-bit root
# booted in QEMU, for a machine whose kernel runs no 32-bit code
# (scripts/wine-arch.sh says which). The guest (scripts/guest-build.sh: the
# root with a kernel) is made once per machine and recipe, in
# ${XDG_CACHE_HOME:-~/.cache}/vigilo/guest-<recipe>, with its two Wine
# prefixes already made; every clone boots it read-only. The build trees go
# in on a second disk at the same path as here, since the test exes have
# their paths built in; the guest's own disk is used copy-on-write.
# Fails unless the guest reports that every test passed, in time.
set -euo pipefail
# mke2fs is in sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin:/sbin
cd "$(dirname "$0")/.."
src=$PWD
run=build/guest-run
log=$run/guest.log
limit=${VIGILO_GUEST_LIMIT:-1500}
start=$(date +%s)
. scripts/cache.sh
scripts/root.sh make
root=$(scripts/root.sh dir)
guest=$cache/guest-$( { echo "$root"; cat scripts/guest-build.sh scripts/guest-prefixes.sh \
  scripts/with-wine.sh scripts/with-display.sh scripts/wine-prefix.sh scripts/wine-bin/wine; } |
  sha256sum | cut -c1-16)

# The guest's first run disk: what its Wine needs to make the prefixes.
# $1: the disk's folder, $2: its script.
run_disk() {
  mkdir -p "$1/tree$src/scripts"
  cp -a scripts/with-wine.sh scripts/with-display.sh scripts/wine-prefix.sh scripts/wine-bin "$1/tree$src/scripts/"
  { echo "src='$src'"; echo "tests='${VIGILO_GUEST_TESTS:-}'"; cat "$2"; } >"$1/run.sh"
}
# QEMU's software CPU: a /dev/kvm may be there, but nested it hung at boot.
# SMAP off: with it QEMU 7.2's software CPU faults on Wine's return to user mode.
# The test run has two CPUs and starts once the host's builds and lint are
# done (VIGILO_GUEST_AFTER), beside the host's own suites, which mostly
# wait: its 32-bit suites took 273 s so, 569 s when it booted beside the
# builds and lint. QEMU is niced like the host's builds, so that the host's
# suites, timed at its speed, come first. The prefixes are made by one
# wineboot after the other on one CPU: two made it take 392 s, not 219 s.
# clocksource=tsc tsc=reliable mitigations=off on the kernel's line gained
# nothing (406 s against 400 s). VIGILO_GUEST_SMP and
# VIGILO_GUEST_KERNEL_ARGS time others.
# Sets $qemu: the command that boots guest folder $1 with its disk's mode $2
# (snapshot=on or off), the run disk $3 and $4 CPUs.
boot() {
  qemu=(timeout "$limit" nice -n 5 qemu-system-x86_64 -machine q35 -cpu max,-smap -smp "${VIGILO_GUEST_SMP:-$4}" -m 4096
    -accel tcg,thread=multi -display none -monitor none -serial "file:$log" -nic none -no-reboot
    -kernel "$1/vmlinuz" -initrd "$1/initrd.img"
    -append "root=/dev/vda rw console=ttyS0 init=/sbin/vigilo-init quiet ${VIGILO_GUEST_KERNEL_ARGS:-}"
    -drive "file=$1/root.img,format=raw,if=virtio,snapshot=$2"
    -drive "file=$3,format=raw,if=virtio")
}

# What a run that was stopped left half made.
remove_partials() { remove_unused "$cache"/partial.*; }

# Made into a folder aside, then moved into place: the image (the root with
# a kernel), in which booting it once made the Wine prefix templates.
mkdir -p "$cache" "$run"
exec 9>"$cache/guest.lock"
flock 9
partial=
trap '[ -z "$partial" ] || remove_partials' EXIT
trap 'exit 143' TERM INT
if [ ! -d "$guest" ]; then
  echo "Emulated PC: making the guest from the 32-bit root in $guest (once per machine)..."
  remove_unused $(ls -d "$cache"/guest-???????????????? "$cache"/image-???????????????? 2>/dev/null)
  remove_partials
  partial=$(mktemp -d "$cache/partial.XXXXXX")
  hold "$root" 7
  stoppable scripts/as-root.sh scripts/guest-build.sh "$root" "$partial"
  echo "Emulated PC: image made in $(( $(date +%s) - start )) s; making its Wine prefixes..."
  t0=$(date +%s)
  rm -rf "$run/disk" && run_disk "$run/disk" scripts/guest-prefixes.sh
  mke2fs -q -t ext4 -d "$run/disk" "$run/run.img" 256M
  boot "$partial" off "$run/run.img" 1
  stoppable "${qemu[@]}" </dev/null || true
  tr -d '\r' <"$log" | grep -a '^VIGILO-GUEST: prefixes made' ||
    { echo "Emulated PC: making the Wine prefixes in the guest failed; see $log."; exit 1; }
  mv -T "$partial" "$guest"
  echo "Emulated PC: prefixes made in $(( $(date +%s) - t0 )) s."
fi
partial=
flock -u 9

# The run disk: the guest's script and the files the 32-bit tests use, at
# their paths here.
rm -rf "$run/disk" "$run/run.img"
run_disk "$run/disk" scripts/guest-run.sh
tree=$run/disk/tree$src
mkdir -p "$tree/build/win32/standin" "$tree/build/win32-tests" "$tree/tests/data"
cp build/win32/vigilo.exe "$tree/build/win32/"
cp build/win32/standin/nwserver.exe "$tree/build/win32/standin/"
cp build/win32-tests/*.exe build/win32-tests/probe.dll build/win32-tests/CTestTestfile.cmake \
  "$tree/build/win32-tests/"
cp -r tests/data/reference "$tree/tests/data/"
mke2fs -q -t ext4 -d "$run/disk" "$run/run.img" $(( $(du -sm "$run/disk" | cut -f1) + 512 ))M

# A software CPU shared with busy host cores crawls (a run beside the
# host's builds and lint took three times as long): with VIGILO_GUEST_AFTER
# the run waits for that file, which the host makes once its heavy work is
# done; its own suites, which mostly wait, go on beside.
while [ -n "${VIGILO_GUEST_AFTER:-}" ] && [ ! -e "$VIGILO_GUEST_AFTER" ]; do sleep 1; done
echo "Emulated PC: booting the guest (QEMU, software CPU) at $(( $(date +%s) - start )) s; its output goes to $log."
hold "$guest" 7
boot "$guest" on "$run/run.img" 2
status=0
stoppable "${qemu[@]}" </dev/null || status=$?

took=$(( $(date +%s) - start ))
tr -d '\r' <"$log" | grep -a '^VIGILO-GUEST' | sed 's/^VIGILO-GUEST: /Emulated PC: /' || true
if [ $status -eq 124 ]; then
  echo "Emulated PC: the guest did not finish within $limit s; see $log."
  exit 1
fi
if ! tr -d '\r' <"$log" | grep -aqx 'VIGILO-GUEST: PASS'; then
  echo "Emulated PC: tests failed or did not run (qemu exit $status); see $log."
  exit 1
fi
echo "Emulated PC: the 32-bit tests passed in $took s, boot and guest set-up included."
