#!/usr/bin/env bash
# Runs the panel benchmarks once under wine64 on a private Xvfb screen and
# prints the report (start-up ratio, CPU per EQ drag move, idle CPU).
# Not part of the tests: run it by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
state="$root/build/bench-wine"
harness="$root/scripts/wine/harness.sh"
trap '"$harness" stop "$state" >/dev/null' EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"
"$harness" run "$state" "$bin/bench/panel_bench.exe"

# Idle CPU seen from Linux as well: Wine answers another process's CPU times
# with zeros, so the report's third figure is checked here from /proc.
( cd "$bin/bench" && "$harness" run "$state" ./VelloPanel.exe -servicestart >/dev/null 2>&1 & )
sleep 6
pid=$(ps -eo pid,args | grep 'VelloPanel.exe -servicestart' | grep -v -e grep -e harness | awk '{print $1}' | head -n 1)
if [ -n "$pid" ]; then
    hz=$(getconf CLK_TCK)
    a=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep 10
    b=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    echo "3b. idle CPU of the VelloPanel process from /proc: $(awk -v d=$((b - a)) -v hz="$hz" 'BEGIN { printf "%.2f", 100 * d / hz / 10 }') % of a core"
    kill "$pid"
fi
