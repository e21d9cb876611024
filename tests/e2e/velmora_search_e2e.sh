#!/bin/bash
# Find and Replace in the built editor under a virtual X server, with real keys: Ctrl+F, a pattern
# typed, Enter, F3 and Shift+F3, then typing over the found text; Ctrl+H, Replace All, the message
# it ends with, Cancel, a save; Ctrl+Z, which takes the whole Replace All back in one step, and a
# save again. The saved bytes are compared each time. On failure a screenshot is kept.
# Usage: velmora_search_e2e.sh PATH_TO_VELMORA [SCREENSHOT_DIR]
# VELMORA_E2E_DISPLAY=n runs the server on display :n instead of one it picks itself.
set -u
BIN=$1
SHOTS=${2:-$(pwd)}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf 'start:\r\n\tld a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' > "$WORK/prog.asm"

source "$(dirname "$0")/../common/xvfb.sh"
VELMORA_XVFB_DISPLAYS=${VELMORA_E2E_DISPLAY:-${VELMORA_XVFB_DISPLAYS:-}}
start_xvfb 1024x768x24 || { echo "FAIL: Xvfb did not start"; exit 1; }
cleanup() { kill "${APP:-}" 2>/dev/null; kill "$XVFB" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

fail() {
    echo "FAIL: $1"
    xwd -root -display "$DISPLAY" -out "$SHOTS/velmora_search_e2e_failure.xwd" 2>/dev/null &&
        echo "screenshot: $SHOTS/velmora_search_e2e_failure.xwd"
    exit 1
}
# The id of the window called exactly $1, waited for.
window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
gone() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' stayed open"
}
# Saves with Ctrl+S and waits for the file to hold $1 (printf format).
expect_saved() {
    xdotool key ctrl+s
    local expected actual
    expected=$(printf "$1" | od -An -c)
    for _ in $(seq 50); do
        actual=$(od -An -c "$WORK/prog.asm")
        [ "$actual" = "$expected" ] && return 0
        sleep 0.1
    done
    echo "file now:"; od -c "$WORK/prog.asm"
    fail "$2"
}

"$BIN" "$WORK/prog.asm" &
APP=$!
WIN=$(window "Velmora Editor - prog.asm")
[ -n "$WIN" ] || fail "the main window did not appear"
focus "$WIN"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$WIN")"
xdotool mousemove --window "$WIN" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
sleep 0.2
xdotool key ctrl+Home

# Find "LD" (match case off) from the start: line 1. F3: line 2. Shift+F3 from the end of that
# match looks right of it first, then finds line 1's. Typing replaces the selection.
xdotool key ctrl+f
FIND=$(window "Find")
[ -n "$FIND" ] || fail "the Find dialog did not open"
focus "$FIND"
xdotool type --delay 30 'LD'
xdotool key Return
gone "Find"
focus "$WIN"
xdotool key F3 shift+F3
xdotool type --delay 30 'XX'
expect_saved 'start:\r\n\tXX a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' "Find, F3, Shift+F3 and typing"

# Replace All of "ld" by "LD" from the caret: lines 2 and 3, then the message that nothing more
# is found, and Cancel.
xdotool key ctrl+h
REPLACE=$(window "Replace")
[ -n "$REPLACE" ] || fail "the Replace dialog did not open"
focus "$REPLACE"
xdotool type --delay 30 'ld'
xdotool key alt+p
xdotool type --delay 30 'LD'
xdotool key alt+a
BOX=$(window "Velmora Editor")
[ -n "$BOX" ] || fail "Replace All did not say that nothing more was found"
focus "$BOX"
xdotool key Return
gone "Velmora Editor"
focus "$REPLACE"
xdotool key Escape
gone "Replace"
focus "$WIN"
expect_saved 'start:\r\n\tXX a,1\r\n\tLD b,2\r\n\tLD c,3\r\n\tret\r\n' "Replace All"

# One undo takes back both replacements, and nothing typed before them.
xdotool key ctrl+z
expect_saved 'start:\r\n\tXX a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' "undo of Replace All"
echo "PASS"
