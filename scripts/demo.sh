#!/usr/bin/env bash
# Runs VelloPanelSim with "-servicestart" under wine64 on the sample kit:
# VelloPanel's own code against a simulated device (see the README), so the
# panel shows its device ready and every report, control code and library
# call it sends is appended to build/demo/devicelog.txt.
# With a usable DISPLAY the window shows there until it is closed, and the
# device log is followed in this terminal. Without one it runs on a private
# Xvfb screen: the 60 Hz band of the equaliser is dragged up, the device
# log's lines of that drag are printed and a screenshot is saved to
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
cp "$bin/VelloPanelSim.exe" "$bin/SimPointer.exe" "$bin/DLLKQ_UsbAudio73xx_x32.dll" "$demo/"
if [ -x "$root/kit/assemble.sh" ]; then
    "$root/kit/assemble.sh" "$demo"
else
    python3 "$root/scripts/demo_fallback_kit.py" "$demo"
fi
# The stand-in companion programs where the installer puts the real ones, so
# the tray icon's Plugin menu starts them.
for name in VelloEffect VelloSoundFX; do
    mkdir -p "$demo/Plugin/$name"
    cp "$bin/companion/$name.exe" "$demo/Plugin/$name/"
done
log="$demo/devicelog.txt"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export USE_DISPLAY="$DISPLAY"
    screenshot=
else
    unset USE_DISPLAY
    screenshot="$demo/VelloPanel.png"
fi
follower=
cleanup() {
    [ -n "$follower" ] && kill "$follower" 2>/dev/null
    "$harness" stop "$state" >/dev/null
}
trap cleanup EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"

if [ -z "$screenshot" ]; then
    touch "$log"
    echo "demo: the device log follows (drag a band of the equaliser to see it written)"
    tail -n +1 -f "$log" &
    follower=$!
    "$harness" run "$state" "$demo/VelloPanelSim.exe" -servicestart
    exit 0
fi

"$harness" run "$state" "$demo/VelloPanelSim.exe" -servicestart &
# The window is built once its last construction step reaches the device.
for _ in $(seq 1 "${DEMO_WAIT:-60}"); do
    grep -q '^ioctl 08232000 01 00 00 00' "$log" 2>/dev/null && break
    sleep 1
done
sleep 1
# Drag the 60 Hz band 40 pixels up, at its place in the skin in use (the
# 1366x768 folder on this 1920x1080 screen).
setting="$demo/Skin/1366x768/Graphite/SkinSetting.ini"
read -r x y < <(tr -d '\r' <"$setting" | awk -F'[=,]' '/^EQ60HzSliderImage=/ {print $3 + int($5 / 2), $4 + int($6 / 2)}')
mark=$(wc -l <"$log")
"$harness" run "$state" "$demo/SimPointer.exe" "$x" "$y" -40
for _ in $(seq 1 20); do
    tail -n +"$((mark + 1))" "$log" | grep -q '^hid 00 00 00 00 00' && break
    sleep 0.5
done
echo "demo: what the drag of the 60 Hz band sent to the device (devicelog.txt):"
tail -n +"$((mark + 1))" "$log" | sed 's/^/    /'
DISPLAY=":$(cat "$state/display")" import -window root "$screenshot"
echo "demo: screenshot saved to $screenshot"
