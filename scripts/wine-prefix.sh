#!/usr/bin/env bash
# Makes the Wine prefix $WINEPREFIX unless it is there, and gives it Wine's
# own fonts: Debian's Wine does not look where fonts-wine puts them, and
# without them every face ("MS Sans Serif", "MS Shell Dlg", "Tahoma") falls
# back to DejaVu Sans, which is wider than the Windows fonts.
set -euo pipefail
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  out=$(wineboot -i 2>&1) || { echo "wineboot -i failed in $WINEPREFIX: $(tail -n 3 <<<"$out")" >&2; exit 1; }
  wineserver -w
fi
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -u /usr/share/wine/fonts/* "$fonts/"
