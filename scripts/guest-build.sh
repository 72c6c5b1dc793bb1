#!/usr/bin/env bash
# Makes the QEMU guest that runs the 32-bit exe where this machine's kernel
# runs no 32-bit code: a copy of the project's 32-bit root ($1) with a kernel
# of its own, which does. Output in $2: root.img (ext4, made without a loop
# mount), vmlinuz, initrd.img. The guest's /sbin/vigilo-init mounts the disk
# the host hands it next and runs the run.sh found there.
# Run as root of namespaces of its own (scripts/as-root.sh): a normal user's
# files stay theirs, and inside the image everything is root's.
set -euo pipefail
# mke2fs is in sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin:/sbin
out=$(realpath -m "$2")
tree=$out/root
log=$out/apt.log
mkdir -p "$out"
rm -rf "$tree" "$out/root.img"
cp -a "$1/." "$tree/"

in_tree() { "$(dirname "$0")/in-tree.sh" "$tree" "$@"; }
in_tree apt-get -o Acquire::Retries=3 update -qq >"$log" 2>&1
in_tree apt-get install -y -qq --no-install-recommends linux-image-amd64 initramfs-tools kmod udev \
  >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
in_tree apt-get clean
rm -rf "$tree"/usr/share/doc/* "$tree"/usr/share/man/* "$tree"/var/lib/apt/lists/*

cat >"$tree/sbin/vigilo-init" <<'INIT'
#!/bin/sh
# PID 1 of the guest: the bare minimum of a system, then the host's run.sh.
# The initramfs hands over /proc, /sys and /dev already mounted.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/shm /dev/pts
mount -t tmpfs shm /dev/shm
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mount -t tmpfs tmp /tmp
hostname vigilo-guest
mkdir -p /mnt/run
if mount /dev/vdb /mnt/run && [ -f /mnt/run/run.sh ]; then
  bash /mnt/run/run.sh
else
  echo "VIGILO-GUEST: no run disk"
fi
sync
echo o >/proc/sysrq-trigger
sleep 60
INIT
chmod +x "$tree/sbin/vigilo-init"

cp "$tree"/boot/vmlinuz-* "$out/vmlinuz"
cp "$tree"/boot/initrd.img-* "$out/initrd.img"
chmod 644 "$out/vmlinuz" "$out/initrd.img"
# Room for the runs' Wine prefixes (two at once, up to 1 GiB each) beside
# the system; the image is sparse, so the room costs nothing until used.
size_mb=$(( $(du -sm "$tree" | cut -f1) + 6144 ))
truncate -s "${size_mb}M" "$out/root.img"
mke2fs -q -t ext4 -d "$tree" "$out/root.img"
rm -rf "$tree"
