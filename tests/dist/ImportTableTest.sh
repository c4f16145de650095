#!/usr/bin/env bash
# The shipped program imports from KnownDLLs alone: Windows takes those from the system
# folder whatever lies beside the program. Every other library is loaded from the system
# folder at run time.
#   ImportTableTest.sh OBJDUMP EXE
set -euo pipefail
objdump=${1:?objdump of the toolchain}
exe=${2:?the program}
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll ws2_32.dll msvcrt.dll "
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "FAIL: no imports read from $exe" >&2; exit 1; }
status=0
for dll in $imports; do
    case "$allowed" in
    *" $dll "*) ;;
    *) echo "FAIL: $exe imports $dll, which Windows may look for beside it" >&2; status=1 ;;
    esac
done
[ "$status" -eq 0 ] && echo "imports: $(echo $imports)"
exit $status
