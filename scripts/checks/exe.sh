#!/usr/bin/env bash
# The product is one self-contained PE (32-bit, or 64-bit for the win64
# build) that needs only Windows' own DLLs.
set -euo pipefail
exe=${1:-build/win32/vigilo.exe}
allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll COMCTL32.dll msvcrt.dll"

# The header as the MinGW tools read it: `file`'s wording varies by release.
format=$(x86_64-w64-mingw32-objdump -f "$exe" 2>/dev/null | sed -n 's/.*file format //p')
case $format in
  pei-i386) bits=32 objdump=i686-w64-mingw32-objdump ;;
  pei-x86-64) bits=64 objdump=x86_64-w64-mingw32-objdump ;;
  *) echo "$exe: not a Windows program (${format:-unreadable})"; exit 1 ;;
esac
subsystem=$($objdump -p "$exe" | awk '$1 == "Subsystem" {print $3, $4}')
[ "$subsystem" = "(Windows GUI)" ] || { echo "$exe: not a Windows GUI program ($subsystem)"; exit 1; }
status=0
for dll in $($objdump -p "$exe" | awk '/DLL Name:/ {print $3}'); do
  if ! grep -qiw "$dll" <<<"$allowed"; then
    echo "$exe imports $dll, which is not a Windows system DLL"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$exe: $bits-bit PE, $(stat -c %s "$exe") bytes, imports only Windows system DLLs."
exit $status
