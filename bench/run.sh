#!/usr/bin/env bash
# Runs the panel benchmarks once under wine64 on a private Xvfb screen and
# prints the report (start-up ratio, CPU per EQ drag move, idle CPU).
#
#   bench/run.sh [REVISION]
#
# With a git revision (or BENCH_BASELINE set to one), VelloPanel of that
# revision is built too, in build/bench-baseline, and its start-up is
# measured in the same run, side by side with this tree's: the figures
# before and after a change. Not part of the tests: run it by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
state="$root/build/bench-wine"
harness="$root/scripts/wine/harness.sh"

baseline=${1:-${BENCH_BASELINE:-}}
rm -f "$bin/bench/VelloPanel.baseline.exe"
if [ -n "$baseline" ]; then
    base="$root/build/bench-baseline"
    revision=$(git -C "$root" rev-parse --verify "$baseline^{commit}")
    if [ "$(cat "$base/revision" 2>/dev/null)" != "$revision" ]; then
        rm -rf "$base"
        mkdir -p "$base/src"
        git -C "$root" archive "$revision" | tar -x -C "$base/src"
        cmake -S "$base/src" -B "$base/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLO_BUILD_TESTS=OFF \
            -DCMAKE_TOOLCHAIN_FILE="$base/src/cmake/mingw-x86_64.cmake" >/dev/null
        echo "$revision" >"$base/revision"
    fi
    echo "== building VelloPanel of $baseline ($revision)"
    cmake --build "$base/build" --target VelloPanel
    cp "$base/build/bin/VelloPanel.exe" "$bin/bench/VelloPanel.baseline.exe"
fi

trap '"$harness" stop "$state" >/dev/null' EXIT
"$harness" start "$state" "$bin/vello_keepalive.exe"
"$harness" run "$state" "$bin/bench/panel_bench.exe" ${baseline:+"$baseline"}

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
