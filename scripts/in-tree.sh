#!/usr/bin/env bash
# Runs a command as root in the Debian tree $1, writable, with this machine's
# network and in namespaces of its own: for the QEMU guest's copy of the
# 32-bit root, under scripts/as-root.sh. Nothing is mounted on the host.
set -euo pipefail
tree=$1
shift
# The proxy, if any, goes in: the rest of the environment does not.
proxy=()
for name in http_proxy https_proxy; do
  [ -z "${!name:-}" ] || proxy+=(--setenv "$name" "${!name}")
done
exec bwrap --bind "$tree" / --proc /proc --dev /dev --ro-bind /etc/resolv.conf /etc/resolv.conf \
  --cap-add ALL --unshare-pid --die-with-parent --clearenv \
  --setenv PATH /usr/sbin:/usr/bin:/sbin:/bin --setenv DEBIAN_FRONTEND noninteractive --setenv LANG C \
  "${proxy[@]}" "$@"
