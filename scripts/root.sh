#!/usr/bin/env bash
# The project's own 32-bit environment (scripts/root-build.sh), kept once per
# machine in ${XDG_CACHE_HOME:-~/.cache}/vigilo/root-<recipe>.
#   root.sh make       makes it unless it is there (under a lock, aside, then
#                      moved into place; a half-made or outdated one removed)
#   root.sh dir        prints its folder; fails while it is not made
#   root.sh run CMD..  runs CMD in it under bubblewrap, in this folder
#   root.sh on ARCH CMD..  runs CMD where ARCH's exe runs: win32 in the root,
#                      win64 on the host
# The root is bound read-only; /tmp, /var/tmp, /dev/shm and HOME are fresh
# for each run, the clone is bound at its own path (the test exes have their
# paths built in) and the Wine prefix templates come from the cache. Nothing
# is mounted on the host, and everything started inside ends with the run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vigilo
root=$cache/root-$(cat "$here/scripts/root-build.sh" "$here/scripts/in-tree.sh" | sha256sum | cut -c1-16)

make_root() {
  [ -d "$root" ] && return 0
  mkdir -p "$cache"
  exec 8>"$cache/root.lock"
  flock 8
  [ -d "$root" ] && return 0
  # Global: the clean-up trap reads them. A half-made root is also removed
  # before the next is made: the lock passes to root-build.sh's processes, so
  # that waits until any left running have ended.
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null ||
      { echo "Making the 32-bit root needs root (debootstrap), and sudo is not available without a password." >&2; exit 1; }
    as_root=(sudo -n)
  fi
  local t0
  t0=$(date +%s)
  echo "Making the 32-bit root in $root (once per machine)..."
  # An older recipe's root, what was made from it (prefix templates, the
  # QEMU guest), a half-made one.
  "${as_root[@]}" rm -rf "$cache"/root-???????????????? "$cache/root-prefixes" "$cache"/root-partial.* \
    "$cache"/image-* "$cache"/guest-????????????????
  partial=$(mktemp -d "$cache/root-partial.XXXXXX")
  trap '"${as_root[@]}" rm -rf "$partial" "$partial.log"' EXIT
  trap 'exit 143' TERM INT
  "${as_root[@]}" "$here/scripts/root-build.sh" "$partial" "$partial.log" ||
    { echo "Making the 32-bit root failed; the end of its log:"; tail -n 20 "$partial.log"; exit 1; }
  "${as_root[@]}" mv -T "$partial" "$root"
  "${as_root[@]}" rm -f "$partial.log"
  trap - EXIT
  echo "32-bit root made in $(( $(date +%s) - t0 )) s: $(du -sh "$root" | cut -f1)."
}

run() {
  [ -d "$root" ] || { echo "The 32-bit root is not made yet (scripts/root.sh make)." >&2; exit 1; }
  local templates=$cache/root-prefixes name
  mkdir -p "$templates"
  # Its folders read-only on a fresh tmpfs, where mount points can be made.
  local args=() entry
  for entry in "$root"/*; do
    name=${entry##*/}
    if [ -L "$entry" ]; then
      args+=(--symlink "$(readlink "$entry")" "/$name")
    elif [[ " usr etc var opt " == *" $name "* ]]; then
      args+=(--ro-bind "$entry" "/$name")
    fi
  done
  # /var/lib/xkb: where Xvfb writes the keymaps it compiles.
  args+=(--proc /proc --dev /dev --perms 1777 --tmpfs /dev/shm --perms 1777 --tmpfs /tmp
    --perms 1777 --tmpfs /var/tmp --tmpfs /var/lib/xkb --tmpfs /root
    --bind "$templates" /root/.cache/vigilo/wine --bind "$here" "$here" --chdir "$PWD"
    --unshare-pid --unshare-ipc --die-with-parent --clearenv --setenv HOME /root
    --setenv PATH /usr/local/bin:/usr/bin:/bin --setenv LANG "${LANG:-C.UTF-8}"
    --setenv WINEARCH "${WINEARCH:-win32}")  # 32-bit prefixes, as on 32-bit Windows
  for name in $(compgen -e); do
    [[ $name == VIGILO_* ]] && args+=(--setenv "$name" "${!name}")
  done
  # A display of the host's is bound in; without one the run starts its own.
  if [ -n "${DISPLAY:-}" ] && [ -S "/tmp/.X11-unix/X${DISPLAY#:}" ]; then
    args+=(--ro-bind /tmp/.X11-unix /tmp/.X11-unix --setenv DISPLAY "$DISPLAY")
    if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
      args+=(--ro-bind "$XAUTHORITY" /root/.Xauthority --setenv XAUTHORITY /root/.Xauthority)
    fi
  else
    args+=(--unshare-net)
  fi
  exec bwrap "${args[@]}" "$@"
}

case ${1:-} in
  make) make_root ;;
  dir) [ -d "$root" ] && echo "$root" ;;
  run) shift; run "$@" ;;
  on) shift; arch=$1; shift; if [ "$arch" = win32 ]; then run "$@"; else exec "$@"; fi ;;
  *) echo "usage: root.sh make | dir | run COMMAND... | on ARCH COMMAND..." >&2; exit 2 ;;
esac
