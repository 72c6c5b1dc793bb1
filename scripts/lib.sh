# Sourced by the scripts: the cache that every clone shares, how its items
# are made once, how a command runs so that a stop ends it, a display. An
# item X (a root, a guest, a prefix template) has a lock X.lock, held shared
# by every run that uses X: only one who can hold it alone removes X.
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vigilo
here=${here:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

# Holds item $1 on descriptor $2 until this process and its children end.
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
      "$here/scripts/privileged.sh" rm -rf "$item" 2>/dev/null || rm -rf "$item"
      rm -f "$item.lock"
    fi
    exec 6>&-
  done
}

# Makes the folder $1 unless it is there: under its own lock, aside, then
# moved into place, so that no one ever sees half of it. Others of its kind
# that no run holds ($2, a pattern: older recipes', less what $1 begins)
# and what a stopped make left are removed first. The command $3... makes
# it in the folder given last (through stoppable, where a stop must end it).
make_once() {
  local item=$1 older=$2 partial old status=0
  shift 2
  [ -d "$item" ] && return 0
  mkdir -p "$(dirname "$item")"
  exec 8>>"$item.make"
  flock 8
  if [ ! -d "$item" ]; then
    for old in $older "$item".partial.*; do
      if [ -d "$old" ] && [[ $old != "$item"* || $old == "$item".partial.* ]]; then remove_unused "$old"; fi
    done
    partial=$(mktemp -d "$item.partial.XXXXXX")
    "$@" "$partial" || status=$?
    if [ $status -eq 0 ]; then mv -T "$partial" "$item"; else remove_unused "$partial"; fi
  fi
  exec 8>&-
  return $status
}

# Runs $@ in a session of its own and waits for it; a stop (TERM, INT) is
# passed to its whole process group, then to the caller's traps by exit 143.
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

# Sets DISPLAY to a virtual one of its own (screen $1) where there is none or
# $2 is "own"; Xvfb picks a free one, so runs side by side never share one.
# Its process is $xvfb, for the caller to end.
xvfb=
start_display() {
  [ -z "${DISPLAY:-}" ] || [ "$2" = own ] || return 0
  local file
  file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n 1 "$file")"
  rm -f "$file"
}
