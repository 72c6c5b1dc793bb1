#!/usr/bin/env bash
# The 32-bit product must load on Windows 98 and ME: every function it imports
# is in the export list of that DLL on 98, and its PE header asks for 4.0.
# Prints each import that falls short; fails if there is any.
set -euo pipefail
exe=${1:-build/win32/vigilo.exe}
lists=$(dirname "$0")/../../tests/data/win98
dump=$(i686-w64-mingw32-objdump -p "$exe")

status=0
for field in MajorOSystemVersion MinorOSystemVersion MajorSubsystemVersion MinorSubsystemVersion; do
  want=0; [[ $field == Major* ]] && want=4
  got=$(awk -v f="$field" '$1 == f {print $2}' <<<"$dump")
  [ "$got" = "$want" ] || { echo "$exe: $field is $got, not $want"; status=1; }
done

# Exported on 98 but only as stubs that fail: wide functions and a few more.
stub() {
  [[ $1 != msvcrt* && $2 == *W ]] ||
    grep -qxE 'TryEnterCriticalSection|GetHandleInformation|SetHandleInformation' <<<"$2"
}

# From comctl32 only InitCommonControls: NT 4.0 and 95 ship version 4.00,
# which lacks InitCommonControlsEx and much else that 98's 4.72 has.
comctl32_only() { [[ $1 != comctl32.dll || $2 == InitCommonControls ]]; }

# "DLL Name: X" opens a DLL's imports; each import line is "vma hint name".
while read -r dll name; do
  list=$lists/$(tr 'A-Z' 'a-z' <<<"${dll%.*}")_98.txt
  [ -f "$list" ] || list=$lists/$(tr 'A-Z' 'a-z' <<<"${dll%.*}")_98se.txt
  if [ ! -f "$list" ]; then
    echo "$exe imports $name from $dll, a DLL with no Windows 98 list"
    status=1
  elif ! grep -qxF "$name" "$list"; then
    echo "$exe imports $name from $dll, which Windows 98 does not export"
    status=1
  elif ! comctl32_only "$(tr 'A-Z' 'a-z' <<<"$dll")" "$name"; then
    echo "$exe imports $name from $dll, which NT 4.0 and 95 do not export (only InitCommonControls)"
    status=1
  elif stub "$(tr 'A-Z' 'a-z' <<<"$dll")" "$name"; then
    echo "$exe imports $name from $dll, which Windows 98 exports only as a failing stub"
    status=1
  fi
done < <(awk '/DLL Name:/ {dll = $3; next}
              dll && NF == 3 && $2 ~ /^[0-9]+$/ {print dll, $3}
              NF == 0 {dll = ""}' <<<"$dump")

[ $status -eq 0 ] && echo "$exe: PE 4.0, every import is exported by Windows 98 and none is a stub."
exit $status
