#!/usr/bin/env bash
# Runs a command as root in the Debian tree $1, writable, with this machine's
# network and in namespaces of its own: for making the 32-bit root and the
# QEMU guest's copy of it. Nothing is mounted on the host.
set -euo pipefail
tree=$1
shift
exec bwrap --bind "$tree" / --proc /proc --dev /dev --ro-bind /etc/resolv.conf /etc/resolv.conf \
  --cap-add ALL --unshare-pid --die-with-parent --clearenv \
  --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin --setenv DEBIAN_FRONTEND noninteractive --setenv LANG C \
  "$@"
