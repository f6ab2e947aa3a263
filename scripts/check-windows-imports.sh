#!/usr/bin/env bash
# check-windows-imports.sh EXE...: checks that each Windows program runs without a DLL beside it: every DLL
# it imports is one that Windows itself has. The C and C++ runtimes, zlib and libxlsxwriter are linked into
# the programs; Wine has DLLs of its own for some of those (zlib1.dll), so its folder is no measure of what
# Windows has. OBJDUMP names the MinGW objdump (x86_64-w64-mingw32-objdump unless set).
set -euo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
windows=" advapi32 bcrypt comctl32 comdlg32 gdi32 kernel32 msvcrt ntdll ole32 oleaut32 shell32 shlwapi user32 uxtheme version "
status=0
for program in "$@"; do
    imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || { echo "$program: no imports found" >&2; status=1; }
    for dll in $imports; do
        name=$(printf '%s' "${dll%.*}" | tr '[:upper:]' '[:lower:]')
        [[ $windows == *" $name "* ]] || { echo "$program needs $dll, which Windows does not have" >&2; status=1; }
    done
done
exit $status
