# Sourced: the machine's cache that every clone shares, and how its
# scripts share it. Each item X (a root, a guest, ...) has a lock X.lock:
# a run holds it shared for as long as it uses X, and X is removed only by
# one who can hold it alone, so a clone on another recipe never removes
# what another clone uses.
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vigilo
here=${here:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

# $1: the item; $2: the descriptor to hold it on, until this process and
# what it starts have ended.
hold() {
  eval "exec $2>>\"\$1.lock\""
  flock -s "$2"
}

# Removes each item of $@ that no run holds; one held goes at a later make.
remove_unused() {
  local item
  for item; do
    [ -e "$item" ] || continue
    exec 6>>"$item.lock"
    if flock -xn 6; then
      # What a user namespace or sudo made: removed the same way.
      "$here/scripts/as-root.sh" rm -rf "$item" 2>/dev/null || rm -rf "$item"
      rm -f "$item.lock"
    fi
    exec 6>&-
  done
}

# Runs $@ in a session of its own and waits for it; a stop (TERM, INT) is
# passed to its whole process group, then to the caller's own traps by exit
# 143. What scripts/as-root.sh starts ends with its first process, and sudo
# passes the stop on to a command of another session.
stoppable() {
  local pid status=0 traps
  traps=$(trap -p TERM INT)
  setsid "$@" &
  pid=$!
  trap 'kill -- -$pid 2>/dev/null || kill $pid 2>/dev/null; wait $pid 2>/dev/null; exit 143' TERM INT
  wait $pid || status=$?
  trap - TERM INT
  eval "$traps"
  return $status
}
