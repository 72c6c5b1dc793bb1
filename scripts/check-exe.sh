#!/usr/bin/env bash
# The product is one self-contained 32-bit PE that needs only Windows' own DLLs.
set -euo pipefail
exe=${1:-build/win32/vigilo.exe}
allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll COMCTL32.dll msvcrt.dll"

file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "$exe: not a 32-bit Windows GUI program"; exit 1; }
status=0
for dll in $(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}'); do
  if ! grep -qiw "$dll" <<<"$allowed"; then
    echo "$exe imports $dll, which is not a Windows system DLL"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$exe: 32-bit PE, $(stat -c %s "$exe") bytes, imports only Windows system DLLs."
exit $status
