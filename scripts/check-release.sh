#!/usr/bin/env bash
# Checks the 32-bit release build: the programs are i386 PE files that need no
# mingw DLL beside them.
set -euo pipefail
dir=${1:?build folder}
status=0
for exe in "$dir"/bin/Vello*.exe; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe")
    if ! i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386'; then
        echo "check-release: $name is not a 32-bit program" >&2
        status=1
    fi
    dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
    for dll in $dlls; do
        case "$dll" in
            libgcc*|libstdc++*|libwinpthread*) echo "check-release: $name needs $dll" >&2; status=1 ;;
        esac
    done
done
[ $status -eq 0 ] && echo "check-release: 32-bit programs are self-contained"
exit $status
