#!/usr/bin/env bash
# Start-up time of the editor: from process start to the first painted window with a generated
# Z80 source open, for a 1 MB and a 100 MB file.
#
# Usage: bench/startup/startup.sh [BUILD_DIR]      (default: build, relative to the repository)
#
# Needs BUILD_DIR/bin/velmora and BUILD_DIR/bin/velmora-gen (a release configuration, e.g.
# RelWithDebInfo). Without DISPLAY it starts Xvfb on the first free display from :97 and stops it
# at the end. Every run gets a private HOME and XDG folders, so no user settings or recent files
# take part. One warm-up run per file (page cache, font caches of the private HOME) is not counted.
#
# Environment: RUNS_1MB (default 7), RUNS_100MB (default 5).
#
# Two figures per run:
#   first-paint  what the editor reports with --exit-after-first-paint: milliseconds from the
#                kernel's start time of the process (/proc/self/stat, 10 ms ticks, so up to 10 ms
#                high) to the end of the first paint of the document's text view
#   wall         the same run timed from outside, fork and exit included
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-build}
[[ $build = /* ]] || build=$repo/$build
velmora=$build/bin/velmora
gen=$build/bin/velmora-gen
for tool in "$velmora" "$gen"; do
    if [[ ! -x $tool ]]; then
        echo "startup.sh: $tool is missing; build the targets velmora and velmora-gen first" >&2
        exit 2
    fi
done
runs_small=${RUNS_1MB:-7}
runs_large=${RUNS_100MB:-5}

base=/dev/shm
[[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/velmora-startup.XXXXXX")
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Microseconds of the wall clock in `now_us`, without starting a process where bash can help it.
now_us=0
stamp() {
    if [[ -n ${EPOCHREALTIME:-} ]]; then
        now_us=${EPOCHREALTIME/[.,]/}
    else
        now_us=$(($(date +%s%N) / 1000))
    fi
}

start_xvfb() {
    local n
    for ((n = 97; n < 160; ++n)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        local tries
        for ((tries = 0; tries < 100; ++tries)); do
            if [[ -e /tmp/.X11-unix/X$n ]]; then
                export DISPLAY=:$n
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.05
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    echo "startup.sh: could not start Xvfb (see $work/xvfb.log)" >&2
    exit 2
}

if [[ -z ${DISPLAY:-} ]]; then
    command -v Xvfb >/dev/null || {
        echo "startup.sh: no DISPLAY and no Xvfb" >&2
        exit 2
    }
    start_xvfb
fi

export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# One run: prints "<first-paint ms> <wall ms>".
run_once() {
    local file=$1 out rc start
    rc=0
    stamp
    start=$now_us
    out=$("$velmora" --exit-after-first-paint "$file" 2>>"$work/velmora.log") || rc=$?
    stamp
    local paint
    paint=$(sed -n 's/^first-paint-ms: //p' <<<"$out")
    if [[ $rc -ne 0 || -z $paint ]]; then
        echo "startup.sh: velmora failed on $file (status $rc); its messages:" >&2
        cat "$work/velmora.log" >&2
        exit 1
    fi
    awk -v p="$paint" -v us=$((now_us - start)) 'BEGIN { printf "%.1f %.1f\n", p, us / 1000 }'
}

# Median and minimum of the numbers on stdin: "<median> <min>".
stats() {
    sort -n | awk '{ v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.1f %.1f\n", m, v[1] }'
}

measure() {
    local label=$1 mb=$2 runs=$3 target=$4
    local file=$work/z80-${mb}mb.asm
    "$gen" "$file" "$mb" >/dev/null
    run_once "$file" >/dev/null # warm-up, not counted
    local paints=() walls=() i p w
    for ((i = 0; i < runs; ++i)); do
        read -r p w < <(run_once "$file")
        paints+=("$p")
        walls+=("$w")
    done
    local pmed pmin wmed wmin
    read -r pmed pmin < <(printf '%s\n' "${paints[@]}" | stats)
    read -r wmed wmin < <(printf '%s\n' "${walls[@]}" | stats)
    printf '%-7s %4d  %8s %8s  %8s %8s  %7s\n' "$label" "$runs" "$pmed" "$pmin" "$wmed" "$wmin" \
        "$target"
    echo "          runs, paint: ${paints[*]}"
    echo "          runs, wall:  ${walls[*]}"
    rm -f "$file"
}

echo "velmora start-up to first paint, ms (DISPLAY=$DISPLAY, $(nproc) CPUs," \
    "load $(cut -d' ' -f1 /proc/loadavg))"
printf '%-7s %4s  %8s %8s  %8s %8s  %7s\n' file runs 'paint' 'paint' 'wall' 'wall' target
printf '%-7s %4s  %8s %8s  %8s %8s  %7s\n' '' '' median min median min ''
measure "1 MB" 1 "$runs_small" 300
measure "100 MB" 100 "$runs_large" 1000
