#!/usr/bin/env bash
# Runs the installer's wizard (VelloSetup) under wine64 from a setup folder
# made of the sample kit, in a Wine prefix of its own: the wizard writes the
# device-ID groups to the registry and copies the settings into the user's
# folder when it opens. With a usable DISPLAY the wizard shows there until it
# is closed; without one it runs on a private Xvfb screen and a screenshot of
# its first page on the background is saved to build/demo/VelloSetup.png.
# The install steps are not built yet: Next ends with the failure box.
#   scripts/demo-setup.sh        (also: scripts/demo.sh setup)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
setup="$root/build/demo-setup"
state="$root/build/demo-setup-wine"
harness="$root/scripts/wine/harness.sh"

rm -rf "$setup"
mkdir -p "$setup" "$root/build/demo"
cp "$bin/VelloSetup.exe" "$setup/"
"$root/kit/assemble.sh" "$setup" >/dev/null

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export USE_DISPLAY="$DISPLAY"
    screenshot=
else
    unset USE_DISPLAY
    screenshot="$root/build/demo/VelloSetup.png"
fi
trap '"$harness" stop "$state" >/dev/null' EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"

if [ -z "$screenshot" ]; then
    # VelloSetup's exit code tells how it ended (see the README).
    "$harness" run "$state" "$setup/VelloSetup.exe" || echo "demo: VelloSetup ended with code $?"
    exit 0
fi
"$harness" run "$state" "$setup/VelloSetup.exe" &
sleep "${DEMO_WAIT:-8}"
DISPLAY=":$(cat "$state/display")" import -window root "$screenshot"
echo "demo: screenshot saved to $screenshot"
