#!/usr/bin/env bash
# Makes the project's own 32-bit environment in the folder $1 (its log in $2): a Debian
# bookworm root with 32- and 64-bit Wine, Xvfb, Wine's fonts, the
# ru_RU.UTF-8 locale and ctest, and nothing the host has to lend it but a
# kernel. It runs under bubblewrap where the kernel runs 32-bit code
# (scripts/root.sh), else booted in QEMU (scripts/guest-build.sh adds a
# kernel to a copy). The host itself gets no i386 package.
# Everything that mounts runs in a mount namespace of its own, so a run that
# is stopped leaves nothing mounted on the host.
set -euo pipefail
root=$(realpath -m "$1")
log=$2
rm -rf "$root"
mkdir -p "$root"

# The mirror this machine's own apt uses.
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs: *\([^ ]*\).*/\1/p' |
  grep -v security | head -n 1 || true)
[ -n "$mirror" ] ||
  mirror=$(awk '$1 == "deb" && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian

# debootstrap mounts /proc and /sys in the root while it works.
unshare --mount --propagation private \
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$log" 2>&1

in_root() { "$(dirname "$0")/in-tree.sh" "$root" "$@"; }
in_root dpkg --add-architecture i386
in_root apt-get -o Acquire::Retries=3 update -qq >>"$log" 2>&1
in_root apt-get install -y -qq --no-install-recommends \
  wine wine32:i386 wine64 xvfb fonts-wine locales cmake >>"$log" 2>&1
in_root localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
in_root apt-get clean
# What no test reads: documentation, translations of the tools, package lists.
rm -rf "$root"/usr/share/doc/* "$root"/usr/share/man/* "$root"/usr/share/info/* \
  "$root"/usr/share/locale/* "$root"/var/lib/apt/lists/* "$root"/var/cache/apt/*.bin
# A mount point for scripts/root.sh, which binds the root read-only.
mkdir -p "$root/var/lib/xkb"
