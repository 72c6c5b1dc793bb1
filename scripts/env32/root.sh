#!/usr/bin/env bash
# The project's own 32-bit environment: a Debian tree made by recipe.sh,
# kept once per machine in ~/.cache/vigilo/root-<recipe>.
#   root.sh make        makes it unless it is there; exit 3, saying why,
#                       where it cannot be made here
#   root.sh dir         prints its folder; fails while it is not made
#   root.sh run CMD..   runs CMD in it under bubblewrap, in this folder
#   root.sh on BUILD CMD..  CMD where BUILD's exe runs: win32 in the root
# A run gets the tree read-only, a fresh /tmp, /var/tmp, /dev/shm and HOME,
# the clone at its own path (the test exes have their paths built in) and
# the Wine prefix templates of the cache; it holds the root, so that a clone
# on another recipe keeps it. Nothing is mounted on the host.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/lib.sh"
root=$cache/root-$(sha256sum <"$here/scripts/env32/recipe.sh" | cut -c1-16)
# The Wine prefix templates its runs copy, made by the first run that needs each.
templates=$root.prefixes

make_root() {
  [ -d "$root" ] && return 0
  local how t0 log
  how=$("$here/scripts/privileged.sh" how 2>&1) || { echo "The 32-bit root cannot be made here. $how"; exit 3; }
  t0=$(date +%s)
  # On stderr, which a caller that keeps the rest in a log shows at once.
  { echo "Making the 32-bit root in $root (once per machine, as root of a namespace of its own: $how)."
    echo "The cache in $cache takes about 3.6 GB (7 GB where the root is booted in QEMU); make clean-cache removes it."
  } >&2
  log=$(mktemp)
  make_once "$root" "$cache/root-???????????????? $cache/root-????????????????.prefixes $cache/prefixes-????????????????" stoppable \
    "$here/scripts/privileged.sh" "$here/scripts/env32/recipe.sh" >"$log" 2>&1 ||
    { echo "Making the 32-bit root failed; the end of its log:"; tail -n 20 "$log"; rm -f "$log"; exit 1; }
  rm -f "$log"
  echo "32-bit root made in $(( $(date +%s) - t0 )) s: $(du -sh "$root" 2>/dev/null | cut -f1)."
}

run() {
  [ -d "$root" ] || { echo "The 32-bit root is not made yet (scripts/env32/root.sh make)." >&2; exit 1; }
  hold "$root" 7
  mkdir -p "$templates"
  # Its folders read-only on a fresh tmpfs, where mount points can be made.
  local args=() entry name
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
  on) shift; build=$1; shift; if [ "$build" = win32 ]; then run "$@"; else exec "$@"; fi ;;
  *) echo "usage: root.sh make | dir | run COMMAND... | on BUILD COMMAND..." >&2; exit 2 ;;
esac
