#!/usr/bin/env bash
# Runs the 32-bit exe and its 32-bit tests in an emulated PC, for a machine
# whose kernel runs no 32-bit code (scripts/wine-arch.sh says which).
# The guest (scripts/guest-build.sh) is kept in build/guest and made anew
# when its recipe changes. The build trees go in on a second disk at the same
# path as here, since the test exes have their paths built in; the guest's
# own disk is used copy-on-write, so the kept image stays clean.
# Fails unless the guest reports that every test passed, in time.
# "guest-test.sh make" only makes the guest, if it needs making.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
guest=build/guest
run=build/guest-run
log=$run/guest.log
limit=${VIGILO_GUEST_LIMIT:-1500}
start=$(date +%s)

recipe=$(sha256sum scripts/guest-build.sh | cut -c1-64)
if [ "$(cat "$guest/recipe" 2>/dev/null)" != "$recipe" ]; then
  echo "Emulated PC: making the guest in $guest (a few minutes, once)..."
  rm -rf "$guest"
  scripts/guest-build.sh "$guest"
  echo "$recipe" >"$guest/recipe"
  echo "Emulated PC: guest made in $(( $(date +%s) - start )) s."
fi
[ "${1:-}" != make ] || exit 0

# The run disk: the guest's script and the files the 32-bit tests use, at
# their paths here.
rm -rf "$run"
mkdir -p "$run/disk"
tree=$run/disk/tree$src
mkdir -p "$tree/build/win32/standin" "$tree/build/win32-tests" "$tree/tests/data" "$tree/scripts"
cp build/win32/vigilo.exe "$tree/build/win32/"
cp build/win32/standin/nwserver.exe "$tree/build/win32/standin/"
cp build/win32-tests/*.exe build/win32-tests/probe.dll build/win32-tests/CTestTestfile.cmake \
  "$tree/build/win32-tests/"
cp -r tests/data/reference "$tree/tests/data/"
cp -a scripts/with-wine.sh scripts/wine-prefix.sh scripts/wine-bin "$tree/scripts/"
{
  echo "src='$src'"
  echo "tests='${VIGILO_GUEST_TESTS:-}'"
  cat scripts/guest-run.sh
} >"$run/disk/run.sh"
mke2fs -q -t ext4 -d "$run/disk" "$run/run.img" $(( $(du -sm "$run/disk" | cut -f1) + 512 ))M

# QEMU's software CPU: a /dev/kvm may be there, but nested it hung at boot.
# SMAP off: with it QEMU 7.2's software CPU faults on Wine's return to user mode.
echo "Emulated PC: booting the guest (QEMU, software CPU); its output goes to $log."
timeout "$limit" qemu-system-x86_64 -machine q35 -cpu max,-smap -smp 2 -m 4096 -accel tcg,thread=multi \
  -display none -monitor none -serial "file:$log" -nic none -no-reboot \
  -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 init=/sbin/vigilo-init quiet" \
  -drive "file=$guest/root.img,format=raw,if=virtio,snapshot=on" \
  -drive "file=$run/run.img,format=raw,if=virtio" </dev/null &
qemu=$!
trap 'kill $qemu 2>/dev/null || true' EXIT
trap 'exit 143' TERM INT
status=0
wait $qemu || status=$?

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
