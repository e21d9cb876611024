#!/usr/bin/env bash
# How much typing a kill loses: the editor is typed into steadily (a key about every DELAY ms, real
# keys through xdotool under its own Xvfb, each logged with the time it was sent) and killed with
# SIGKILL after a random few seconds; the next start recovers the journal and saves it. The typing
# lost is the time from the first key sent that was not recovered to the kill. Target: at most
# one second.
#
# Usage: bench/recovery/killtyping.sh [BUILD_DIR]     (default: build)
# Environment: RUNS (default 5), DELAY (default 50).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-build}
[[ $build = /* ]] || build=$repo/$build
velmora=$build/bin/velmora
runs=${RUNS:-5}
delay=${DELAY:-50}
work=$(mktemp -d)
app=
typist=
xvfb=
cleanup() {
    [[ -n $typist ]] && kill "$typist" 2>/dev/null
    [[ -n $app ]] && kill -9 "$app" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
source "$(dirname "$0")/../../tests/common/xvfb.sh"
start_xvfb 1024x768x24 || {
    echo "killtyping.sh: Xvfb did not start" >&2
    exit 2
}
xvfb=$XVFB

window() { # the window named exactly $1, with the focus
    find_window "$1" || {
        echo "killtyping.sh: no window '$1'" >&2
        exit 1
    }
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
typing() { # one key at a time, each logged with the time it went out
    while :; do
        xdotool key x
        now_ms >>"$work/sent.log"
        sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
    done
}
echo "run  sent  recovered  lost_ms"
worst=0
for ((run = 1; run <= runs; ++run)); do
    : >"$work/typed.asm"
    "$velmora" "$work/typed.asm" 2>/dev/null &
    app=$!
    window "Velmora Editor - typed.asm" >/dev/null
    : >"$work/sent.log"
    typing &
    typist=$!
    sleep "$((3 + RANDOM % 3)).$((RANDOM % 10))"
    kill -9 "$app"
    killed=$(now_ms)
    kill "$typist" 2>/dev/null
    wait "$app" "$typist" 2>/dev/null || true
    app= typist=
    sent=$(awk -v k="$killed" '$1 <= k' "$work/sent.log" | wc -l)
    "$velmora" 2>/dev/null &
    app=$!
    window "Velmora Editor" >/dev/null
    xdotool key Return # Recover
    window "Velmora Editor - typed.asm \\*" >/dev/null
    xdotool key ctrl+s
    sleep 1
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=
    got=$(tr -cd x <"$work/typed.asm" | wc -c)
    # The time the first key not recovered was sent, to the kill.
    lost=0
    if ((got < sent)); then
        first=$(sed -n "$((got + 1))p" "$work/sent.log")
        lost=$((killed - first))
    fi
    ((lost > worst)) && worst=$lost
    printf '%3d  %4d  %9d  %7d\n' "$run" "$sent" "$got" "$lost"
done
echo "worst: $worst ms of typing lost (target: at most 1000)"
