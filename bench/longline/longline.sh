#!/usr/bin/env bash
# Peak memory of the editor on a file of one long line: a generated Z80 source with its line ends
# taken out (300 MB by default) is opened, scrolled to its end and back, edited at both ends and in
# the middle (typing, a line break and its deletion, undo), and the editor's peak resident set
# (VmHWM) is read before it is stopped. velmora-highlight colours the same file in every format.
#
# Usage: bench/longline/longline.sh [BUILD_DIR]   (default: build, relative to the repository)
#
# Needs BUILD_DIR/bin/velmora, velmora-highlight and velmora-gen, Xvfb and xdotool. Environment:
# MB (default 300). Prints each figure in MB and as a multiple of the file's size; the target is
# at most 2.5 for every one.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-build}
[[ $build = /* ]] || build=$repo/$build
mb=${MB:-300}
for tool in velmora velmora-highlight velmora-gen; do
    [[ -x $build/bin/$tool ]] || {
        echo "longline.sh: $build/bin/$tool is missing" >&2
        exit 2
    }
done

base=/dev/shm
[[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/velmora-longline.XXXXXX")
app=
xvfb=
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

file=$work/long.asm
"$build/bin/velmora-gen" "$work/lines.asm" "$mb" >/dev/null
tr -d '\r\n' <"$work/lines.asm" | head -c $((mb << 20)) >"$file"
rm -f "$work/lines.asm"
size=$(stat -c %s "$file")

report() { # label, kilobytes
    awk -v l="$1" -v kb="$2" -v s="$size" \
        'BEGIN { printf "%-34s %7.1f MB  %4.2f x the file\n", l, kb / 1024, kb * 1024 / s }'
}

for format in blocks ansi html; do
    peak=$( { /usr/bin/time -f %M "$build/bin/velmora-highlight" --format=$format "$file" \
        >/dev/null; } 2>&1 | tail -1)
    report "velmora-highlight --format=$format" "$peak"
done

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_STATE_HOME=$work/home/.state
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
source "$(dirname "$0")/../../tests/common/xvfb.sh"
start_xvfb 1280x1024x24 || {
    echo "longline.sh: Xvfb did not start" >&2
    exit 2
}
xvfb=$XVFB

"$build/bin/velmora" "$file" &
app=$!
win=$(find_window "Velmora Editor - long.asm" 120) || {
    echo "longline.sh: the window did not appear" >&2
    exit 1
}
sleep 1
# Waits until the editor has used no processor time for a while: every key sent so far is handled.
settle() {
    local last= now
    while :; do
        now=$(awk '{ print $14 + $15 }' "/proc/$app/stat")
        [[ $now == "$last" ]] && return
        last=$now
        sleep 0.5
    done
}
keys() {
    xdotool key --delay 150 "$@"
    settle
    [[ -z ${VERBOSE:-} ]] || echo "$* $(awk '/^VmHWM/ { print $2 }' "/proc/$app/status")" >&2
}
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
settle
keys ctrl+End Page_Up End                      # the far end of the line
xdotool type --delay 100 'ld a,1 ; at the end'
settle
keys Home Right Right                          # back at the start
xdotool type --delay 100 'start: '
settle
keys ctrl+Home
for _ in $(seq 20); do xdotool key --delay 20 ctrl+Right; done
keys Return BackSpace Return ctrl+z ctrl+z ctrl+y
keys ctrl+End Left Left BackSpace Delete ctrl+Home
grep -q "long.asm \*" < <(xdotool getwindowname "$win") || {
    echo "longline.sh: the edits did not arrive" >&2
    exit 1
}
hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$app/status")
report "velmora: open, scroll, edit" "$hwm"
