#!/usr/bin/env bash
# The emulated PC, for a machine whose kernel runs no 32-bit code: the
# 32-bit environment's recipe with a kernel of its own, which does, and
# init.sh as its first process. Made in $1: root.img (ext4, made without a
# loop mount), vmlinuz, initrd.img. Run as root of namespaces of its own
# (scripts/privileged.sh): inside the image everything is root's.
set -euo pipefail
# mke2fs is in sbin, which a normal user's PATH may lack.
PATH=$PATH:/usr/sbin:/sbin
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1")
tree=$out/tree
"$here/../recipe.sh" "$tree" --include=linux-image-amd64,initramfs-tools,kmod,udev \
  --customize-hook="upload $here/init.sh /sbin/vigilo-init" \
  --customize-hook='chmod 755 "$1/sbin/vigilo-init"'
cp "$tree"/boot/vmlinuz-* "$out/vmlinuz"
cp "$tree"/boot/initrd.img-* "$out/initrd.img"
chmod 644 "$out/vmlinuz" "$out/initrd.img"
# Room for the runs' Wine prefixes (two at once, up to 1 GiB each) beside
# the system; the image is sparse, so the room costs nothing until used.
truncate -s "$(( $(du -sm "$tree" | cut -f1) + 6144 ))M" "$out/root.img"
mke2fs -q -t ext4 -d "$tree" "$out/root.img"
rm -rf "$tree"
