#!/bin/bash
# Drives the built editor under a virtual X server with real key presses: opens a copy of a Z80
# file, types a line, undoes one step, saves with Ctrl+S and compares the file's bytes. On
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

DISPLAY_NUM=${VELMORA_E2E_DISPLAY:-97}
Xvfb ":$DISPLAY_NUM" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=":$DISPLAY_NUM" QT_QPA_PLATFORM=xcb
cleanup() { kill "${APP:-}" 2>/dev/null; kill "$XVFB" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$BIN" "$WORK/prog.asm" &
APP=$!
WIN=""
for _ in $(seq 100); do
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
# Caret at the start: a word typed and undone, then a new first line.
xdotool type --delay 30 'oops'
xdotool key ctrl+z
xdotool type --delay 30 'main:'
xdotool key Return
sleep 0.3
xdotool key ctrl+s
expected=$(printf 'main:\r\nstart:\r\n\tld a,1\r\n\tret\r\n' | od -An -c)
for _ in $(seq 50); do
    actual=$(od -An -c "$WORK/prog.asm")
    [ "$actual" = "$expected" ] && break
    sleep 0.1
done
[ "$actual" = "$expected" ] || { echo "file now:"; od -c "$WORK/prog.asm"; fail "the saved bytes differ"; }
TITLE=$(xdotool getwindowname "$WIN")
[ "$TITLE" = "Velmora Editor - prog.asm" ] || fail "title after save is '$TITLE'"
echo "PASS"
