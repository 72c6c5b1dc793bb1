#!/bin/sh
# PID 1 of the emulated PC: the bare minimum of a system, then the job the
# host's run disk names ("SRC SCRIPT": the clone's path, which its tree on
# the disk is bound to, and the script there to run). The initramfs hands
# over /proc, /sys and /dev already mounted.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/shm /dev/pts /mnt/run
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mount -t tmpfs shm /dev/shm && mount -t tmpfs tmp /tmp
hostname vigilo-guest
if mount /dev/vdb /mnt/run && read -r src script </mnt/run/job; then
  mkdir -p "$src" && mount --bind "/mnt/run/tree$src" "$src" && cd "$src" &&
    HOME=/root bash "$script"
else
  echo "VIGILO-GUEST: no run disk"
fi
sync
echo o >/proc/sysrq-trigger
sleep 60
