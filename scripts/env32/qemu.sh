#!/usr/bin/env bash
# Runs the 32-bit exe's tests in the emulated PC (guest/), where the kernel
# runs no 32-bit code. The guest is made once per machine and recipe in
# ~/.cache/vigilo/guest-<recipe>, booted once to make its Wine prefixes;
# every clone boots it read-only, the build trees on a second disk at their
# paths here. --after FILE: boot once FILE is there. Its console goes to
# build/logs/guest.log. Fails unless every test passed, in time.
set -euo pipefail
PATH=$PATH:/usr/sbin:/sbin  # mke2fs, which a normal user's PATH may lack
cd "$(dirname "$0")/../.."
. scripts/lib.sh
after=
[ "${1:-}" != --after ] || after=$2
src=$PWD
disk=build/guest-disk
log=build/logs/guest.log
limit=1500
start=$(date +%s)
in_guest=(scripts/lib.sh scripts/wine scripts/env32/guest)
guest=$cache/guest-$(cat scripts/env32/recipe.sh scripts/env32/guest/build.sh scripts/env32/guest/init.sh \
  $(find "${in_guest[@]}" -type f | sort) | sha256sum | cut -c1-16)

# The run disk in $disk: the job for init.sh ($1, a script of guest/), the
# scripts the guest runs, and ($2...) the files of the tree it needs.
run_disk() {
  local job=$1 file
  shift
  rm -rf "$disk" "$disk.img"
  mkdir -p "$disk/tree$src"
  echo "$src scripts/env32/guest/$job" >"$disk/job"
  for file in "${in_guest[@]}" "$@"; do
    mkdir -p "$disk/tree$src/$(dirname "$file")"
    cp -a "$file" "$disk/tree$src/$file"
  done
  : >"$disk.img"
  mke2fs -q -t ext4 -d "$disk" "$disk.img" $(( $(du -sm "$disk" | cut -f1) + 256 ))M
}
# Boots guest folder $1 with its disk's snapshot=$2 on $3 CPUs, and the run
# disk; on the software CPU (nested KVM hung), SMAP off (QEMU 7.2 faults on
# Wine's return to user mode with it), niced below the host's suites.
boot() {
  stoppable timeout "$limit" nice -n 5 qemu-system-x86_64 -machine q35 -cpu max,-smap -smp "$3" -m 4096 \
    -accel tcg,thread=multi -display none -monitor none -serial "file:$log" -nic none -no-reboot \
    -kernel "$1/vmlinuz" -initrd "$1/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 init=/sbin/vigilo-init quiet" \
    -drive "file=$1/root.img,format=raw,if=virtio,snapshot=$2" \
    -drive "file=$disk.img,format=raw,if=virtio" </dev/null
}
guest_says() { tr -d '\r' <"$log" | grep -a "^VIGILO-GUEST: ${1:-}"; }

# The image, then its prefixes, on one CPU (two took 392 s, not 219 s).
make_guest() {
  echo "Emulated PC: making the guest in $1 (once per machine)..."
  stoppable scripts/privileged.sh scripts/env32/guest/build.sh "$1" || return 1
  echo "Emulated PC: image made in $(( $(date +%s) - start )) s; making its Wine prefixes..."
  run_disk prefixes.sh && { boot "$1" off 1 || true; }
  guest_says 'prefixes made' ||
    { echo "Emulated PC: making the Wine prefixes in the guest failed; see $log."; return 1; }
}
mkdir -p build/logs
make_once "$guest" "$cache/guest-????????????????" make_guest

# The run: two CPUs, once the host's builds and lint are done (beside them
# it took three times as long).
run_disk run.sh build/win32/vigilo.exe build/win32/standin/nwserver.exe build/win32-tests/*.exe \
  build/win32-tests/probe.dll build/win32-tests/CTestTestfile.cmake tests/data/reference
while [ -n "$after" ] && [ ! -e "$after" ]; do sleep 1; done
echo "Emulated PC: booting the guest (QEMU, software CPU) at $(( $(date +%s) - start )) s; its output goes to $log."
hold "$guest" 7
status=0
boot "$guest" on 2 || status=$?
guest_says | sed 's/^VIGILO-GUEST: /Emulated PC: /' || true
[ $status -ne 124 ] || { echo "Emulated PC: the guest did not finish within $limit s; see $log."; exit 1; }
guest_says PASS >/dev/null || { echo "Emulated PC: tests failed or did not run (qemu exit $status); see $log."; exit 1; }
echo "Emulated PC: the 32-bit tests passed in $(( $(date +%s) - start )) s, boot and guest set-up included."
