#!/usr/bin/env bash
# Installs the product under wine64 with the installer (VelloSetup) from the
# setup folder the build assembles (the sample kit, the stand-in device
# library and VelloSetup.exe), in a fresh Wine prefix of its own; then the
# installed control panel starts the way Finish starts it: VelloPanel hands
# its start to the (stand-in) service, which starts it with the command line
# the installer stored.
#
# With a usable DISPLAY the wizard shows there: pick a language, press Next,
# then Finish; the demo ends when the control panel's window is closed.
# Without one it runs on a private Xvfb screen, presses Next and Finish
# itself and saves build/demo/VelloSetup.png (first page),
# build/demo/VelloSetup-finished.png and build/demo/VelloPanel-installed.png.
#   scripts/demo-setup.sh        (also: scripts/demo.sh setup)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
setup="$root/build/demo-setup"
state="$root/build/demo-setup-wine"
pictures="$root/build/demo"
harness="$root/scripts/wine/harness.sh"

# A Unix path as Windows programs see it (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

rm -rf "$setup" "$state/prefix"
mkdir -p "$pictures"
cp -r "$root/build/x86_64/setup" "$setup"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export USE_DISPLAY="$DISPLAY"
    automatic=
else
    unset USE_DISPLAY
    automatic=1
fi
trap '"$harness" stop "$state" >/dev/null' EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"

if [ -z "$automatic" ]; then
    "$harness" run "$state" "$bin/setup_demo.exe" "$(winpath "$setup/VelloSetup.exe")"
else
    "$harness" run "$state" "$bin/setup_demo.exe" "$(winpath "$setup/VelloSetup.exe")" "$(winpath "$pictures")"
fi
