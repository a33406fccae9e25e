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
# The stand-in device library binds by plain name on 32-bit Windows: every
# export it must offer is there, undecorated.
root=$(cd "$(dirname "$0")/.." && pwd)
lib="$dir/bin/DLLKQ_UsbAudio73xx_x32.dll"
if [ -f "$lib" ]; then
    exported=$(i686-w64-mingw32-objdump -p "$lib" | awk '/Ordinal\/Name Pointer/ {on = 1; next} on && /^\t\[/ {print $NF} on && /^$/ {on = 0}' | sort)
    wanted=$(sort "$root/standins/devicelib/DLLKQ_UsbAudio73xx.names")
    if [ "$exported" != "$wanted" ]; then
        echo "check-release: the stand-in device library does not export exactly its undecorated names" >&2
        status=1
    fi
fi
# The simulated device is for tests and VelloPanelSim only: no deliverable
# carries it. VelloPanelSim shows that the marker still finds it.
marker="one simulated device at a time"
for name in VelloPanel VelloSetup VelloUninstall; do
    exe="$dir/bin/$name.exe"
    [ -f "$exe" ] || continue
    if grep -q "$marker" "$exe"; then
        echo "check-release: $name.exe contains the simulated device" >&2
        status=1
    fi
done
# The setup programs ask for administrator rights.
for name in VelloSetup VelloUninstall; do
    exe="$dir/bin/$name.exe"
    [ -f "$exe" ] || continue
    if ! grep -q 'level="requireAdministrator"' "$exe"; then
        echo "check-release: $name.exe does not ask for administrator rights" >&2
        status=1
    fi
done
# VelloSetup's payload: 32-bit programs, apart from the service it writes on
# 64-bit Windows (resource 106), which is a 64-bit one. Stand-ins are named.
payloads="$dir/setup-payloads.txt"
if [ -f "$payloads" ]; then
    while read -r id type file origin; do
        path="$dir/$file"
        case "$id" in
            106) want=pei-x86-64 ;;
            105|107|108|111|112) want=pei-i386 ;;
            *) want= ;;
        esac
        if [ ! -s "$path" ]; then
            echo "check-release: VelloSetup's payload $id $type ($file) is missing" >&2
            status=1
        elif [ -n "$want" ] && ! x86_64-w64-mingw32-objdump -f "$path" | grep -q "file format $want"; then
            echo "check-release: VelloSetup's payload $id $type ($file) is not $want" >&2
            status=1
        fi
        if [ "$origin" = stand-in ]; then stand_ins="${stand_ins:-} $id"; fi
    done <"$payloads"
    echo "check-release: VelloSetup's payload holds stand-ins for the maker's files:${stand_ins:- none}"
fi
# The clean-up program that VelloUninstall carries runs on the same systems.
cleanup="$dir/bin/FinalDeleteFile.exe"
if [ -f "$cleanup" ] && ! i686-w64-mingw32-objdump -f "$cleanup" | grep -q 'file format pei-i386'; then
    echo "check-release: FinalDeleteFile.exe (carried by VelloUninstall) is not a 32-bit program" >&2
    status=1
fi
if [ -f "$dir/bin/VelloPanelSim.exe" ] && ! grep -q "$marker" "$dir/bin/VelloPanelSim.exe"; then
    echo "check-release: the simulation's marker is no longer found in VelloPanelSim.exe" >&2
    status=1
fi
[ $status -eq 0 ] && echo "check-release: 32-bit programs are self-contained"
exit $status
