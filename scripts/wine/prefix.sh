#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX unless it is there, as a copy of a
# template in ~/.cache/vigilo/wine, one per Wine, its packages, the prefix's
# architecture and language and this script (2 s, where wineboot takes 15 s,
# minutes on the emulated PC); and gives it Wine's own fonts, which Debian's
# Wine does not find where fonts-wine puts them (else every face falls back
# to the wider DejaVu Sans).
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
make_template() {
  WINEPREFIX=$1 wineboot -i >"$1.log" 2>&1 && WINEPREFIX=$1 wineserver -w ||
    { echo "wineboot -i failed: $(tail -n 3 "$1.log")" >&2; rm -f "$1.log"; return 1; }
  rm -f "$1.log"
}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  key=$( { wine --version; echo "${WINEARCH:-} ${LANG:-}"
           dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null
           cat "$0"; } | sha256sum | cut -c1-16)
  make_once "$cache/wine/$key" "" make_template
  mkdir -p "$WINEPREFIX"
  cp -a "$cache/wine/$key/." "$WINEPREFIX/"
fi
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -u /usr/share/wine/fonts/* "$fonts/"
