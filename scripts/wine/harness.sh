#!/usr/bin/env bash
# Wine test harness: one prefix, one Xvfb display and one persistent
# wineserver per build folder, so test programs start fast and two build
# folders never collide.
#
#   harness.sh start STATE_DIR KEEPALIVE_EXE   make the prefix if needed, start Xvfb,
#                                              wineserver and a long-lived process
#   harness.sh stop STATE_DIR                  end all of it
#   harness.sh run STATE_DIR PROGRAM [ARGS...] run one Windows program under wine64
#   harness.sh env STATE_DIR                   print the environment as shell exports
#
# SCREEN=WxH chooses the Xvfb screen size for start (default 1920x1080).
# USE_DISPLAY=:N makes start use that X display instead of a private Xvfb.
set -u
WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER64=${WINESERVER64:-/usr/lib/wine/wineserver64}
cmd=${1:?command}
state=${2:?state folder}
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEPREFIX="$state/prefix"
export HOME="$state/home"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINESERVER="$WINESERVER64"
export XDG_RUNTIME_DIR="$state/run"
unset WAYLAND_DISPLAY

load_display() {
    if [ -f "$state/display" ]; then
        export DISPLAY=":$(cat "$state/display")"
    fi
}

reg_add() {  # key name type data, through wine's reg.exe
    "$WINE64" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 </dev/null
}

make_prefix() {
    [ -f "$WINEPREFIX/.vello-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # A null ALSA device: waveIn, waveOut and MCI open and play silence.
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
    "$WINE64" wineboot --init </dev/null >/dev/null 2>&1
    "$WINESERVER64" -w
    local size=${SCREEN:-1920x1080}
    # A virtual desktop: no window manager is needed and windows appear at once.
    reg_add 'HKCU\Software\Wine\Explorer' Desktop REG_SZ Default
    reg_add 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ "$size"
    reg_add 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
    reg_add 'HKCU\Software\Wine\Drivers' Audio REG_SZ alsa
    "$WINESERVER64" -w
    touch "$WINEPREFIX/.vello-ready"
}

start_xvfb() {
    # Xvfb picks a free display and reports it on fd 3.
    exec 3>"$state/display.tmp"
    setsid Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset \
        </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    exec 3>&-
    for _ in $(seq 1 100); do
        [ -s "$state/display.tmp" ] && return 0
        sleep 0.1
    done
    echo "harness: Xvfb did not start" >&2
    return 1
}

start() {
    local keepalive=${1:?keepalive program}
    stop_quietly
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    local size=${SCREEN:-1920x1080}
    if [ -n "${USE_DISPLAY:-}" ]; then
        echo "${USE_DISPLAY#:}" >"$state/display.tmp"
    else
        start_xvfb "$size" || return 1
    fi
    tr -d '\n' <"$state/display.tmp" >"$state/display"
    load_display
    make_prefix
    # Desktop size follows SCREEN on every start.
    reg_add 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ "$size"
    "$WINESERVER64" -w
    setsid "$WINESERVER64" -p </dev/null >/dev/null 2>&1
    "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1
    # Without a live process wine ends its system processes (services.exe
    # with every running service) a few seconds after the last program exits.
    setsid "$WINE64" "$keepalive" </dev/null >/dev/null 2>&1 &
    echo $! >"$state/keepalive.pid"
    echo "harness: display :$(cat "$state/display"), prefix $WINEPREFIX"
}

stop_quietly() {
    if [ -f "$state/display" ] || [ -f "$state/xvfb.pid" ]; then
        load_display
        "$WINESERVER64" -k >/dev/null 2>&1 || true
        for f in keepalive xvfb; do
            if [ -f "$state/$f.pid" ]; then
                kill "$(cat "$state/$f.pid")" >/dev/null 2>&1 || true
                rm -f "$state/$f.pid"
            fi
        done
        rm -f "$state/display" "$state/display.tmp"
    fi
    return 0
}

run() {
    load_display
    if [ -z "${DISPLAY:-}" ]; then
        echo "harness: not started (no display); run 'harness.sh start' first" >&2
        return 125
    fi
    # The program writes to a file that is followed onto our output until it
    # ends. A process it starts (a companion program, an uninstaller's
    # clean-up step, a system process wine starts on demand) inherits that
    # file instead of ctest's pipe, so ctest does not wait for it.
    mkdir -p "$state/runs"
    local out rc
    out=$(mktemp "$state/runs/out.XXXXXX")
    "$WINE64" "$@" >"$out" 2>&1 &
    local pid=$!
    tail -n +1 -s 0.2 -f --pid="$pid" "$out" &
    local follower=$!
    wait "$pid"; rc=$?
    wait "$follower"
    rm -f "$out"
    return "$rc"
}

case "$cmd" in
    start) start "${3:-}" ;;
    stop) stop_quietly; echo "harness: stopped" ;;
    run) shift 2; run "$@" ;;
    env)
        load_display
        for v in WINEPREFIX HOME WINEARCH WINEDEBUG WINEDLLOVERRIDES WINESERVER XDG_RUNTIME_DIR DISPLAY; do
            printf 'export %s=%q\n' "$v" "${!v:-}"
        done
        ;;
    *) echo "usage: harness.sh start|stop|run|env STATE_DIR ..." >&2; exit 2 ;;
esac
