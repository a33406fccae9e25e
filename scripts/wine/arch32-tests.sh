#!/usr/bin/env bash
# Runs the test programs of the 32-bit release build (BUILD_DIR, built with
# its tests) under WOW64, when this machine executes 32-bit code. Otherwise
# it says in one line why the 32-bit run is skipped and exits 0.
#
#   arch32-tests.sh BUILD_DIR [ctest arguments...]
#
# VELLO_WINE32_EMULATOR=qemu runs them under qemu-i386 instead where the
# kernel cannot (see scripts/wine/wine32.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
shift
if ! reason=$("$here/wine32.sh" probe); then
    if [ "${VELLO_WINE32_EMULATOR:-}" != qemu ]; then
        echo "== 32-bit run skipped: $reason (VELLO_WINE32_EMULATOR=qemu runs it emulated)"
        exit 0
    fi
    echo "== 32-bit run under qemu-i386: $reason"
    # A debugger cannot read an emulated process's memory, so the tests that
    # read a child's debugger output are left out; so are the runs that
    # need the panel's window, whose picture code meets a fault qemu-i386
    # does not emulate (Wine: "Got unexpected trap -1").
    export GTEST_FILTER="-DeviceLibraryBinding.ResultAndDebugLineNameTheFirstMissingExport:DeviceLibraryBinding.MissingLibraryShowsTheSystemErrorAndGivesOne:DeliverableSmoke.*:InstallSmoke.FinishStartsThePanelThroughThe64BitService"
    echo "== left out under emulation: ${GTEST_FILTER#-}"
else
    unset VELLO_WINE32_EMULATOR
fi
listed=$(ctest --test-dir "$build" -N 2>/dev/null || true)
if [[ "$listed" != *arch32* ]]; then
    echo "arch32-tests: $build has no 32-bit test programs (configure it with -DVELLO_BUILD_ARCH32_TESTS=ON)" >&2
    exit 1
fi
echo "== 32-bit Wine: $("$here/wine32.sh" setup "$build/wine32")"
cd "$build"
ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@"
