# Run once inside the emulated PC, when it is made: the Wine prefix
# templates its runs copy, one for the 32-bit runs and one for the Russian
# Windows 98 runs, on the image's own disk. Prints "VIGILO-GUEST: prefixes
# made", which the host reads.
export WINEARCH=win32 TMPDIR=/var/tmp
t0=$(date +%s)
# One after the other: two wineboots side by side both failed here.
scripts/wine/with-wine.sh true &&
  LANG=ru_RU.UTF-8 scripts/wine/with-wine.sh true &&
  echo "VIGILO-GUEST: prefixes made in $(( $(date +%s) - t0 )) s"
