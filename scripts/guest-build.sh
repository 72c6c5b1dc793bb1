#!/usr/bin/env bash
# Makes the emulated PC that runs the 32-bit exe where this machine's kernel
# runs no 32-bit code: a Debian bookworm guest whose own kernel does, with
# 32- and 64-bit Wine, Xvfb, Wine's fonts, the ru_RU.UTF-8 locale and ctest.
# Output in $1: root.img (ext4, made without a loop mount), vmlinuz, initrd.img.
# The guest's /sbin/vigilo-init mounts the disk the host hands it next and
# runs the run.sh found there.
set -euo pipefail
out=$(realpath -m "$1")
root=$out/root
mkdir -p "$out"
rm -rf "$root" "$out/root.img"

# The mirror this machine's own apt uses.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list)

debootstrap --variant=minbase --include=linux-image-amd64,initramfs-tools,kmod,udev \
  bookworm "$root" "$mirror" >"$out/debootstrap.log" 2>&1 ||
  { tail -n 20 "$out/debootstrap.log"; exit 1; }

mount -t proc proc "$root/proc"
trap 'umount "$root/proc" 2>/dev/null || true' EXIT
in_root() { chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive LANG=C "$@"; }
in_root dpkg --add-architecture i386
in_root apt-get update -qq
in_root apt-get install -y -qq --no-install-recommends \
  wine wine32:i386 wine64 xvfb fonts-wine locales cmake file >"$out/apt.log" 2>&1 ||
  { tail -n 20 "$out/apt.log"; exit 1; }
in_root localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
in_root apt-get clean
umount "$root/proc"
trap - EXIT
rm -rf "$root"/usr/share/doc/* "$root"/usr/share/man/* "$root"/var/lib/apt/lists/*

cat >"$root/sbin/vigilo-init" <<'INIT'
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
chmod +x "$root/sbin/vigilo-init"

cp "$root"/boot/vmlinuz-* "$out/vmlinuz"
cp "$root"/boot/initrd.img-* "$out/initrd.img"
chmod 644 "$out/vmlinuz" "$out/initrd.img"
# Room for the runs' Wine prefixes (two at once, up to 1 GiB each) beside
# the system; the image is sparse, so the room costs nothing until used.
size_mb=$(( $(du -sm "$root" | cut -f1) + 6144 ))
mke2fs -q -t ext4 -d "$root" "$out/root.img" "${size_mb}M"
rm -rf "$root"
