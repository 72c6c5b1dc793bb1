#!/usr/bin/env bash
# Runs a command on a display: a virtual one of its own where there is none
# or --own asks for one (--screen WxHxD, 1280x1024x24 unless told). A stop
# ends the command, then the display.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
own= screen=1280x1024x24
while :; do
  case ${1:-} in
    --own) own=own; shift ;;
    --screen) screen=$2; shift 2 ;;
    *) break ;;
  esac
done
trap '[ -z "$xvfb" ] || kill $xvfb 2>/dev/null || true' EXIT
start_display "$screen" "$own"
stoppable "$@"
