#!/usr/bin/env bash
# Runs a command on a display: a virtual one of its own (Xvfb, ${VIGILO_SCREEN:-1280x1024x24})
# where there is none or VIGILO_OWN_DISPLAY=1 asks for one. Xvfb picks a free
# display itself, so runs side by side never share one.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && [ "${VIGILO_OWN_DISPLAY:-}" != 1 ]; then
  exec "$@"
fi
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${VIGILO_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$display_file")"
rm -f "$display_file"
# The command runs on this one.
export VIGILO_OWN_DISPLAY=
"$@"
