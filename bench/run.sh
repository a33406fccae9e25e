#!/usr/bin/env bash
# Runs the benchmarks once under wine64 on private Xvfb screens and prints
# every figure of the run together at the end:
#   1. start-up of VelloPanel against a bare window (ratio)
#   2. main-thread CPU per EQ drag move
#   3. idle CPU of VelloPanel (3b: the same seen from /proc)
#   4. private memory of VelloPanel with its full skin against a bare window
#   5. install: VelloSetup from Next to the Finish page against its fixed
#      waits (ratio), in a fresh prefix
#   6. uninstall: VelloUninstall from Uninstall to the end of the clean-up
#      against its fixed waits (ratio), in the same prefix
#   5b, 6b. the files the install copies, copied and deleted by a bare loop
#      in the same prefix: what the file system alone costs for them
#
#   bench/run.sh [REVISION]
#
# With a git revision (or BENCH_BASELINE set to one), VelloPanel and the
# setup folder of that revision are built too, in build/bench-baseline, and
# measured in the same run: the panel's start-up side by side with this
# tree's, the install and uninstall in a fresh prefix of their own. The
# figures before and after a change. BENCH_VERBOSE=1 prints every debugger
# line of the install and the uninstall with its time.
# Not part of the tests: run it by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" x86_64
bin="$root/build/x86_64/bin"
state="$root/build/bench-wine"
setup_state="$root/build/bench-setup-wine"
harness="$root/scripts/wine/harness.sh"
log=$(mktemp)

# A Unix path as Windows programs see it (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

baseline=${1:-${BENCH_BASELINE:-}}
base="$root/build/bench-baseline"
rm -f "$bin/bench/VelloPanel.baseline.exe"
if [ -n "$baseline" ]; then
    revision=$(git -C "$root" rev-parse --verify "$baseline^{commit}")
    if [ "$(cat "$base/revision" 2>/dev/null)" != "$revision" ]; then
        rm -rf "$base"
        mkdir -p "$base/src"
        git -C "$root" archive "$revision" | tar -x -C "$base/src"
        cmake -S "$base/src" -B "$base/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLO_BUILD_TESTS=OFF \
            -DCMAKE_TOOLCHAIN_FILE="$base/src/cmake/mingw-x86_64.cmake" >/dev/null
        echo "$revision" >"$base/revision"
    fi
    echo "== building VelloPanel and the setup folder of $baseline ($revision)"
    cmake --build "$base/build" --target VelloPanel setup_folder
    cp "$base/build/bin/VelloPanel.exe" "$bin/bench/VelloPanel.baseline.exe"
fi

stop_all() {
    "$harness" stop "$state" >/dev/null
    "$harness" stop "$setup_state" >/dev/null
    rm -f "$log"
}
trap stop_all EXIT

echo "== the control panel"
"$harness" start "$state" "$bin/vello_keepalive.exe"
"$harness" run "$state" "$bin/bench/panel_bench.exe" ${baseline:+"$baseline"} | tee -a "$log"

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
    echo "3b. idle CPU of the VelloPanel process from /proc: $(awk -v d=$((b - a)) -v hz="$hz" 'BEGIN { printf "%.2f", 100 * d / hz / 10 }') % of a core" |
        tee -a "$log"
    kill "$pid"
fi
"$harness" stop "$state" >/dev/null

# The installer from a copy of a setup folder in a fresh prefix, then its
# uninstaller; the figures go to the file named.
install_round() {
    local folder=$1 figures=$2 copy="$root/build/bench-setup"
    "$harness" stop "$setup_state" >/dev/null
    rm -rf "$copy" "$setup_state/prefix"
    cp -r "$folder" "$copy"
    "$harness" start "$setup_state" "$bin/vello_keepalive.exe" >/dev/null
    "$harness" run "$setup_state" "$bin/bench/install_bench.exe" "$(winpath "$copy")" ${BENCH_VERBOSE:+-v} |
        tee -a "$figures" || true
    "$harness" stop "$setup_state" >/dev/null
}

# "5. <what>: <ms> ms, fixed waits <ms> ms, ratio <r>, the rest <ms> ms ..."
# of every round: the median round by its ratio, with every round's ratio,
# and the median of the rest (the time beyond the fixed waits, steadier
# than the ratio when the rounds' service waits differ); the label goes in
# front of the figures of an earlier revision.
install_medians() {
    local figures=$1 label=$2
    for n in 5 6; do
        { grep -E "^$n\. .* ratio " "$figures" || true; } |
            awk -v n="$n" -v label="${label:+[$label] }" '
                function median(v, k,   i, j, t) {
                    for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
                    return v[int((k + 1) / 2)]
                }
                {
                    line[NR] = $0
                    match($0, /ratio [0-9.]+/); r[NR] = substr($0, RSTART + 6, RLENGTH - 6) + 0
                    match($0, /the rest -?[0-9]+/); rest[NR] = substr($0, RSTART + 9, RLENGTH - 9) + 0
                    ratios = ratios (NR > 1 ? " " : "") r[NR]
                }
                END {
                    if (NR == 0) { print n ". " label "not measured"; exit }
                    for (i = 1; i <= NR; i++) { sorted[i] = r[i]; rests[i] = rest[i] }
                    mid = median(sorted, NR)
                    for (i = 1; i <= NR; i++) if (r[i] == mid) m = line[i]
                    sub(/^[0-9]+\. /, "", m); sub(/, the rest.*$/, "", m)
                    print n ". " label m " (median of " NR " rounds by ratio; ratios " ratios \
                        "; the rest, median " median(rests, NR) " ms; goal <= 1.2)"
                }'
    done | tee -a "$log"
    # "5b. <what>: <ms> ms": the bare copy and deletion, as their medians.
    for n in 5b 6b; do
        { grep -E "^$n\. " "$figures" || true; } |
            awk -v label="${label:+[$label] }" '
                {
                    sub(/\r$/, "")  # the line end as Windows programs write it
                    match($0, /: -?[0-9]+ ms$/); v[NR] = substr($0, RSTART + 2, RLENGTH - 5) + 0
                    all = all (NR > 1 ? " " : "") v[NR]; line = $0
                }
                END {
                    if (NR == 0) exit
                    for (i = 1; i <= NR; i++) for (j = i + 1; j <= NR; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
                    sub(/: -?[0-9]+ ms$/, "", line); match(line, /^[0-9]+b\. /)
                    print substr(line, 1, RLENGTH) label substr(line, RLENGTH + 1) ": " v[int((NR + 1) / 2)] \
                        " ms (median of " NR " rounds; " all ")"
                }'
    done | tee -a "$log"
}

# BENCH_INSTALL_ROUNDS rounds (3 by default), each in a fresh prefix; with a
# revision, its rounds take turns with this tree's, so that a machine that
# grows busier or quieter meanwhile weighs on both alike.
rounds=${BENCH_INSTALL_ROUNDS:-3}
figures=$(mktemp)
base_figures=$(mktemp)
echo "== the installer and the uninstaller (a fresh prefix each round)"
for round in $(seq 1 "$rounds"); do
    echo "-- round $round of $rounds"
    install_round "$root/build/x86_64/setup" "$figures"
    if [ -n "$baseline" ]; then
        echo "-- round $round of $rounds, $baseline"
        install_round "$base/build/setup" "$base_figures"
    fi
done
install_medians "$figures" ""
[ -n "$baseline" ] && install_medians "$base_figures" "$baseline"
rm -f "$figures" "$base_figures"

echo
echo "== figures of this run"
grep -E '^ *[0-9]+b?\. |^   the same run|^   of each move' "$log"
