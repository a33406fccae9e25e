#!/usr/bin/env bash
# Runs VelloPanel with "-servicestart" under wine64 on the sample kit.
# With a usable DISPLAY the window shows there until it is closed; without
# one it runs on a private Xvfb screen and a screenshot is saved to
# build/demo/VelloPanel.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# "demo.sh setup" shows the installer's wizard instead (scripts/demo-setup.sh).
if [ "${1:-}" = setup ]; then exec "$root/scripts/demo-setup.sh"; fi
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
demo="$root/build/demo"
state="$root/build/demo-wine"
harness="$root/scripts/wine/harness.sh"

rm -rf "$demo"
mkdir -p "$demo"
# The panel ends at once without its device library: the stand-in goes beside it.
cp "$bin/VelloPanel.exe" "$bin/VelloService.exe" "$bin/DLLKQ_UsbAudio73xx_x32.dll" "$demo/"
if [ -x "$root/kit/assemble.sh" ]; then
    "$root/kit/assemble.sh" "$demo"
else
    python3 "$root/scripts/demo_fallback_kit.py" "$demo"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export USE_DISPLAY="$DISPLAY"
    screenshot=
else
    unset USE_DISPLAY
    screenshot="$demo/VelloPanel.png"
fi
trap '"$harness" stop "$state" >/dev/null' EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"

# The per-user copies that the installer makes: the panel takes its language
# and skin choice from there.
roaming=$(ls -d "$state"/prefix/drive_c/users/*/AppData/Roaming 2>/dev/null | grep -v /Public/ | head -n 1)
if [ -n "$roaming" ]; then
    user_folder=$(sed -n 's/^InstallFolderName=//p' "$demo/AudioConfig.cfg" | tr -d '\r' | head -n 1)
    mkdir -p "$roaming/$user_folder"
    cp "$demo/AudioConfig.cfg" "$demo/DefaultProfile.ini" "$roaming/$user_folder/"
fi

if [ -z "$screenshot" ]; then
    "$harness" run "$state" "$demo/VelloPanel.exe" -servicestart
    exit 0
fi
"$harness" run "$state" "$demo/VelloPanel.exe" -servicestart &
sleep "${DEMO_WAIT:-8}"
DISPLAY=":$(cat "$state/display")" import -window root "$screenshot"
echo "demo: screenshot saved to $screenshot"
