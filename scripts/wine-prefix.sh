#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX unless it is there, and gives it Wine's
# own fonts: Debian's Wine does not look where fonts-wine puts them, and
# without them every face ("MS Sans Serif", "MS Shell Dlg", "Tahoma") falls
# back to DejaVu Sans, which is wider than the Windows fonts.
# A new prefix is a copy of a template kept per machine in
# ${XDG_CACHE_HOME:-~/.cache}/vigilo/wine, one per Wine, its packages, the
# prefix's architecture and language and this script: copying takes 2 s
# where making one takes 15 s (and minutes on the emulated PC).
set -euo pipefail
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  key=$( { wine --version; echo "${WINEARCH:-} ${LANG:-}"
           dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' 'wine*' 'libwine*' 2>/dev/null
           cat "$0"; } | sha256sum | cut -c1-16)
  templates=${XDG_CACHE_HOME:-$HOME/.cache}/vigilo/wine
  template=$templates/$key
  mkdir -p "$WINEPREFIX"
  if [ -f "$template/system.reg" ]; then
    cp -a "$template/." "$WINEPREFIX/"
  else
    out=$(wineboot -i 2>&1) || { echo "wineboot -i failed in $WINEPREFIX: $(tail -n 3 <<<"$out")" >&2; exit 1; }
    wineserver -w
    # Kept once whole: a copy is made aside, then moved into place.
    mkdir -p "$templates"
    partial=$(mktemp -d "$templates/partial.XXXXXX")
    cp -a "$WINEPREFIX/." "$partial/" && mv -T "$partial" "$template" 2>/dev/null || rm -rf "$partial"
  fi
fi
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -u /usr/share/wine/fonts/* "$fonts/"
