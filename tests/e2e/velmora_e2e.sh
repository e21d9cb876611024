#!/bin/bash
# Drives the built editor under a virtual X server with real mouse and key input: opens a copy of a
# Z80 file, types, undoes one step, moves, lets Enter indent a line, saves with Ctrl+S and
# compares the file's bytes. On
# failure a screenshot is kept next to the work folder.
# Usage: velmora_e2e.sh PATH_TO_VELMORA [SCREENSHOT_DIR]
set -u
BIN=$1
SHOTS=${2:-$(pwd)}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf 'start:\r\n\tld a,1\r\n\tret\r\n' > "$WORK/prog.asm"

source "$(dirname "$0")/../common/xvfb.sh"
start_xvfb 1024x768x24 || { echo "FAIL: Xvfb did not start"; exit 1; }
cleanup() { kill "${APP:-}" 2>/dev/null; kill "$XVFB" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$BIN" "$WORK/prog.asm" &
APP=$!
WIN=""
for _ in $(seq 300); do
    WIN=$(xdotool search --name "Velmora Editor - prog.asm" 2>/dev/null | head -1)
    [ -n "$WIN" ] && break
    sleep 0.1
done
fail() {
    echo "FAIL: $1"
    xwd -root -display "$DISPLAY" -out "$SHOTS/velmora_e2e_failure.xwd" 2>/dev/null &&
        echo "screenshot: $SHOTS/velmora_e2e_failure.xwd"
    exit 1
}
[ -n "$WIN" ] || fail "the main window did not appear"
xdotool windowactivate --sync "$WIN" 2>/dev/null || xdotool windowfocus --sync "$WIN"
sleep 0.5
# A click in the middle of the window gives the text the focus; then, from the start of the
# text: a word typed and undone, a new first line, and a line after "ld a,1" that takes the
# indentation of the line above.
eval "$(xdotool getwindowgeometry --shell "$WIN")"
xdotool mousemove --window "$WIN" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
sleep 0.2
xdotool key ctrl+Home
xdotool type --delay 30 'oops'
xdotool key ctrl+z
xdotool type --delay 30 'main:'
xdotool key Return Down End Return
xdotool type --delay 30 'inc a'
sleep 0.3
xdotool key ctrl+s
expected=$(printf 'main:\r\nstart:\r\n\tld a,1\r\n\tinc a\r\n\tret\r\n' | od -An -c)
for _ in $(seq 200); do
    actual=$(od -An -c "$WORK/prog.asm")
    [ "$actual" = "$expected" ] && break
    sleep 0.1
done
[ "$actual" = "$expected" ] || { echo "file now:"; od -c "$WORK/prog.asm"; fail "the saved bytes differ"; }
TITLE=$(xdotool getwindowname "$WIN")
[ "$TITLE" = "Velmora Editor - prog.asm" ] || fail "title after save is '$TITLE'"
echo "PASS"
