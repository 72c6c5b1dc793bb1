#!/usr/bin/env bash
# Runs a command with privilege: as root of mount and process namespaces of
# its own, for making the 32-bit root and the emulated PC. A normal user is
# root of a user namespace where their subordinate ids stand for the others,
# so every file made is theirs; sudo only where the kernel refuses that.
# Nothing is mounted on the host; the command ends with this script.
#   privileged.sh CMD...  runs CMD that way
#   privileged.sh how     prints the way: "root", "userns" or "sudo"
# Where there is none it fails with one line: why, and the command that mends it.
set -euo pipefail
ns=(--mount --propagation private --pid --fork --kill-child --mount-proc)

# "START,COUNT" of the user's first subordinate range in $1, or nothing.
range() {
  awk -F: -v name="$(id -un)" -v uid="$(id -u)" '($1 == name || $1 == uid) { print $2 "," $3; exit }' \
    "$1" 2>/dev/null
}

# The sysctl that keeps unprivileged user namespaces off, as its mend.
userns_switch() {
  local f
  for f in kernel/unprivileged_userns_clone=1 user/max_user_namespaces=15000 \
    kernel/apparmor_restrict_unprivileged_userns=0; do
    [ -r "/proc/sys/${f%=*}" ] || continue
    case "$(cat "/proc/sys/${f%=*}"):${f#*=}" in
      0:1 | 0:15000 | 1:0) echo "sudo sysctl -w $(tr / . <<<"${f%=*}")=${f#*=}"; return ;;
    esac
  done
  echo "sudo true (password-less sudo for $(id -un))"
}

# Sets $how, or $why and $mend when there is no way.
userns=() how= why= mend=
way() {
  [ "$(id -u)" -eq 0 ] && { how=root; return 0; }
  local users groups out
  users=$(range /etc/subuid)
  groups=$(range /etc/subgid)
  if ! command -v newuidmap >/dev/null; then
    why="newuidmap is missing"
    mend="sudo apt-get install uidmap"
  elif [ -z "$users" ] || [ -z "$groups" ]; then
    why="$(id -un) has no subordinate ids in /etc/subuid and /etc/subgid"
    mend="sudo usermod --add-subuids 100000-165535 --add-subgids 100000-165535 $(id -un)"
  else
    userns=(unshare --map-user=0 --map-group=0 --map-users="${users%,*},1,${users#*,}"
      --map-groups="${groups%,*},1,${groups#*,}")
    out=$("${userns[@]}" "${ns[@]}" true 2>&1) && { how=userns; return 0; }
    why="the kernel refuses a user namespace ($(head -n 1 <<<"$out"))"
    mend=$(userns_switch)
  fi
  command -v sudo >/dev/null && sudo -n true 2>/dev/null && { how=sudo; return 0; }
  why+=", and sudo is not available without a password"
  return 1
}

way || { echo "Nothing can act as root here: $why. To mend it: $mend" >&2; exit 1; }
[ "${1:-}" != how ] || { echo "$how"; exit 0; }
case $how in
  root) exec unshare "${ns[@]}" "$@" ;;
  userns) exec "${userns[@]}" "${ns[@]}" "$@" ;;
  # sudo drops the environment: the proxy and the cache's place go through.
  sudo)
    exec sudo -n env ${http_proxy:+http_proxy="$http_proxy"} ${https_proxy:+https_proxy="$https_proxy"} \
      ${VIGILO_DEBIAN_MIRROR:+VIGILO_DEBIAN_MIRROR="$VIGILO_DEBIAN_MIRROR"} unshare "${ns[@]}" "$@" ;;
esac
