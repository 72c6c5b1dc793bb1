#!/usr/bin/env bash
# The 64-bit product loads where its PE header (subsystem 5.2) says: XP x64
# on. With no export lists of those, it imports only what the 32-bit exe
# does (checked against 98) and what every x64 Windows has: x64 unwinding,
# the LongPtr window calls, msvcrt's data accessors, wide functions.
set -euo pipefail
exe=${1:-build/win64/vigilo.exe}
exe32=${2:-build/win32/vigilo.exe}
x64_only='KERNEL32.DLL!(RtlCaptureContext|RtlLookupFunctionEntry|RtlUnwindEx|RtlVirtualUnwind|__C_specific_handler|RaiseException|[A-Za-z]+W)|'\
'USER32.DLL!(GetWindowLongPtrA|SetWindowLongPtrA)|'\
'MSVCRT.DLL!(___lc_codepage_func|___mb_cur_max_func|__iob_func|_acmdln|_commode|_fmode)'

imports() {
  "$1" -p "$2" | awk '/DLL Name:/ {dll = toupper($3); next}
                      dll && NF == 3 && $2 ~ /^[0-9]+$/ {print dll "!" $3}
                      NF == 0 {dll = ""}' | sort -u
}
dump=$(x86_64-w64-mingw32-objdump -p "$exe")
status=0
for field in MajorSubsystemVersion MinorSubsystemVersion; do
  want=2; [[ $field == Major* ]] && want=5
  got=$(awk -v f="$field" '$1 == f {print $2}' <<<"$dump")
  [ "$got" = "$want" ] || { echo "$exe: $field is $got, not $want"; status=1; }
done
while read -r name; do
  grep -qxE "$x64_only" <<<"$name" && continue
  echo "$exe imports $name, which the 32-bit exe does not: is it on XP x64?"
  status=1
done < <(comm -23 <(imports x86_64-w64-mingw32-objdump "$exe") <(imports i686-w64-mingw32-objdump "$exe32"))
[ $status -eq 0 ] && echo "$exe: subsystem 5.2, imports nothing beyond the 32-bit exe's but x64 basics."
exit $status
