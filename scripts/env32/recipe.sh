#!/usr/bin/env bash
# The recipe of the project's own 32-bit environment, made in the folder $1
# (mmdebstrap's options after it: guest/build.sh's kernel and init): Debian
# bookworm with 32- and 64-bit Wine, Xvfb, Wine's fonts, the ru_RU.UTF-8
# locale and ctest, needing nothing of the host but a kernel. Run with
# privilege (scripts/privileged.sh); the host gets no i386 package.
set -euo pipefail
tree=$(realpath -m "$1")

# A Debian mirror: VIGILO_DEBIAN_MIRROR, else the first one this machine's
# apt uses for a Debian release (not its security archive), else Debian's own.
debian='^(buster|bullseye|bookworm|trixie|forky|duke|sid|stable|testing|unstable)(-|$)'
mirror=${VIGILO_DEBIAN_MIRROR:-$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
  awk -v d="$debian" '$2 ~ d && $1 !~ /security/ { print $1; exit }')}
mirror=${mirror:-http://deb.debian.org/debian}
echo "Mirror: $mirror"

# What no test reads is never unpacked: documentation, translations.
mmdebstrap --mode=root --variant=minbase --architectures=amd64,i386 \
  --include=wine,wine32:i386,wine64,xvfb,fonts-wine,locales,cmake \
  --aptopt='Acquire::Retries "3"' \
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
  --dpkgopt='path-exclude=/usr/share/info/*' --dpkgopt='path-exclude=/usr/share/locale/*' \
  --customize-hook='chroot "$1" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8' \
  --customize-hook='rm -rf "$1"/var/lib/apt/lists/* "$1"/var/cache/apt/*.bin' \
  --customize-hook='mkdir -p "$1/var/lib/xkb"' "${@:2}" \
  bookworm "$tree" "$mirror"
# In a user namespace the other ids are the user's subordinate ones: all of
# it becomes the user's, so that they can remove it like any folder.
[ "$(awk '{ print $2 }' /proc/self/uid_map)" = 0 ] || chown -hR 0:0 "$tree"
