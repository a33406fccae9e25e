#!/usr/bin/env bash
# The test harness (harness.sh) for the 32-bit programs: the same prefix,
# display and persistent wineserver, but wine64 is the copy beside the 32-bit
# loader that scripts/wine/wine32.sh unpacked into WINE32_FOLDER. The prefix
# is a 64-bit one; 32-bit programs run in it under WOW64, as on 64-bit
# Windows.
#
#   harness32.sh WINE32_FOLDER start|stop|run|env STATE_DIR ...   (as harness.sh)
set -u
folder=${1:?folder made by wine32.sh setup}
shift
here=$(cd "$(dirname "$0")" && pwd)
root=$folder/root
if [ ! -f "$folder/ready" ] || [ ! -x "$root/usr/lib/wine/wine64" ]; then
    echo "harness32: no 32-bit Wine in $folder (scripts/wine/wine32.sh setup $folder makes it)" >&2
    exit 125
fi
export WINE64=$root/usr/lib/wine/wine64
# The 32-bit loader finds its libraries here; 64-bit processes pass them by.
export LD_LIBRARY_PATH=$root/usr/lib/i386-linux-gnu:$root/lib/i386-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# Where the 64-bit side finds the 32-bit DLLs when it fills syswow64.
export WINEDLLPATH=$root/usr/lib/i386-linux-gnu/wine
if [ "${1:-}" = start ]; then
    "$here/harness.sh" "$@" || exit $?
    eval "$("$here/harness.sh" env "$2")"
    # Under qemu-i386 (VELLO_WINE32_EMULATOR=qemu) Wine's debugger, started
    # for a crashing program, hangs: there the prefix starts none.
    if [ "${VELLO_WINE32_EMULATOR:-}" = qemu ]; then
        "$WINE64" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /t REG_SZ /d '' /f
    else
        "$WINE64" reg delete 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /f
    fi </dev/null >/dev/null 2>&1
    exit 0
fi
if [ "${1:-}" = env ]; then
    "$here/harness.sh" "$@"
    for v in WINE64 LD_LIBRARY_PATH WINEDLLPATH; do printf 'export %s=%q\n' "$v" "${!v}"; done
    exit 0
fi
exec "$here/harness.sh" "$@"
