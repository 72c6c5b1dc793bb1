#!/usr/bin/env bash
# Makes the project's own 32-bit environment in the folder $1 (its log in $2): a Debian
# bookworm root with 32- and 64-bit Wine, Xvfb, Wine's fonts, the
# ru_RU.UTF-8 locale and ctest, and nothing the host has to lend it but a
# kernel. It runs under bubblewrap where the kernel runs 32-bit code
# (scripts/root.sh), else booted in QEMU (scripts/guest-build.sh adds a
# kernel to a copy). The host itself gets no i386 package.
# It runs as root of namespaces of its own (scripts/as-root.sh): nothing is
# mounted on the host, and a normal user's root is theirs, file by file.
set -euo pipefail
root=$(realpath -m "$1")
log=$2
rm -rf "$root"

# A Debian mirror: VIGILO_DEBIAN_MIRROR, else the first one this machine's
# apt uses for a Debian release (not its security archive), else Debian's own.
debian='^(buster|bullseye|bookworm|trixie|forky|duke|sid|stable|testing|unstable)(-|$)'
host_mirror() {
  local line uris= suites= suite
  # deb822 stanzas, then one-line entries ("deb [options] URI SUITE ...").
  { cat /etc/apt/sources.list.d/*.sources 2>/dev/null; echo; } | while IFS= read -r line; do
    case $line in
      URIs:*) uris=${line#URIs:} ;;
      Suites:*) suites=${line#Suites:} ;;
      "") for suite in $suites; do
            [[ $suite =~ $debian && $uris != *security* ]] && { echo $uris | cut -d' ' -f1; break; }
          done
          uris= suites= ;;
    esac
  done
  sed -n 's/^deb \(\[[^]]*\] *\)\?\([^ ]*\) \+\([^ ]*\).*/\2 \3/p' /etc/apt/sources.list 2>/dev/null |
    while read -r uris suite; do
      [[ $suite =~ $debian && $uris != *security* ]] && echo "$uris"
    done
}
mirror=${VIGILO_DEBIAN_MIRROR:-$(host_mirror | head -n 1 || true)}
mirror=${mirror:-http://deb.debian.org/debian}
echo "Mirror: $mirror" >"$log"

# What no test reads is never unpacked: documentation, translations.
mmdebstrap --mode=root --variant=minbase --architectures=amd64,i386 \
  --include=wine,wine32:i386,wine64,xvfb,fonts-wine,locales,cmake \
  --aptopt='Acquire::Retries "3"' \
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
  --dpkgopt='path-exclude=/usr/share/info/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
  --customize-hook='chroot "$1" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8' \
  --customize-hook='rm -rf "$1"/var/lib/apt/lists/* "$1"/var/cache/apt/*.bin' \
  bookworm "$root" "$mirror" >>"$log" 2>&1
# A mount point for scripts/root.sh, which binds the root read-only.
mkdir -p "$root/var/lib/xkb"
# In a user namespace the other ids are the user's subordinate ones: all of
# it becomes the user's, so that they can remove it like any folder.
[ "$(awk '{ print $2 }' /proc/self/uid_map)" = 0 ] || chown -hR 0:0 "$root"
