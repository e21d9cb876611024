#!/bin/bash
# The Z80 workbench in the built editor under a virtual X server, with real keys: F7 assembles a
# file with one error with pasmo, F4 puts the caret on the error line (what is typed there lands
# on that line); Ctrl+G goes to a line; F12 jumps to a label defined in the other open file and
# Alt+Left comes back. The saved bytes of both files are compared. On failure a screenshot is
# kept. Needs pasmo (skipped without it).
# Usage: velmora_z80_e2e.sh PATH_TO_VELMORA [SCREENSHOT_DIR]
# VELMORA_E2E_DISPLAY=n runs the server on display :n instead of one it picks itself.
set -u
BIN=$1
SHOTS=${2:-$(pwd)}
if ! command -v pasmo >/dev/null; then
    echo "PASS (skipped: pasmo is not installed)"
    exit 0
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf 'start:\r\n\tld a,5\r\n\tld q,3\r\n\tcall helper\r\n\tjp start\r\n' > "$WORK/prog.asm"
printf '\tnop\r\nhelper:\r\n\tret\r\n' > "$WORK/lib.asm"

if [ -n "${VELMORA_E2E_DISPLAY:-}" ]; then
    Xvfb ":$VELMORA_E2E_DISPLAY" -noreset -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
    XVFB=$!
    DISPLAY_NUM=$VELMORA_E2E_DISPLAY
else
    # Xvfb picks a free display itself and writes its number to the pipe.
    exec 3< <(Xvfb -displayfd 1 -noreset -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
    XVFB=$!
    read -r -t 20 DISPLAY_NUM <&3 || { echo "FAIL: Xvfb did not start"; exit 1; }
fi
export DISPLAY=":$DISPLAY_NUM" QT_QPA_PLATFORM=xcb
cleanup() { kill "${APP:-}" 2>/dev/null; kill "$XVFB" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

fail() {
    echo "FAIL: $1"
    xwd -root -display "$DISPLAY" -out "$SHOTS/velmora_z80_e2e_failure.xwd" 2>/dev/null &&
        echo "screenshot: $SHOTS/velmora_z80_e2e_failure.xwd"
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
# Saves with Ctrl+S and waits for file $1 to hold $2 (printf format).
expect_saved() {
    xdotool key ctrl+s
    local expected actual
    expected=$(printf "$2" | od -An -c)
    for _ in $(seq 50); do
        actual=$(od -An -c "$WORK/$1")
        [ "$actual" = "$expected" ] && return 0
        sleep 0.1
    done
    echo "$1 now:"; od -c "$WORK/$1"
    fail "$3"
}

# lib.asm first, so prog.asm is the active window.
"$BIN" "$WORK/lib.asm" "$WORK/prog.asm" &
APP=$!
WIN=$(window "Velmora Editor - prog.asm")
[ -n "$WIN" ] || fail "the main window did not appear"
focus "$WIN"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$WIN")"
xdotool mousemove --window "$WIN" $((WIDTH / 3)) $((HEIGHT / 3)) click 1
sleep 0.2
xdotool key ctrl+Home

# F7: pasmo stops at "ld q,3" on line 3. Its message arrives in the output pane; F4 goes there.
xdotool key F7
sleep 2
xdotool key F4
xdotool type --delay 30 'X'
expect_saved prog.asm 'start:\r\n\tld a,5\r\nX\tld q,3\r\n\tcall helper\r\n\tjp start\r\n' \
    "F4 did not put the caret on the error line"

# Ctrl+G 4: the start of "call helper"; End, F12: lib.asm with "helper" selected.
xdotool key ctrl+g
GOTO=$(window "Go to Line")
[ -n "$GOTO" ] || fail "the Go to Line dialog did not open"
focus "$GOTO"
xdotool type --delay 30 '4'
xdotool key Return
gone "Go to Line"
focus "$WIN"
xdotool key End F12
LIB=$(window "Velmora Editor - lib.asm")
[ -n "$LIB" ] || fail "F12 did not go to lib.asm"
xdotool key End
xdotool type --delay 30 ';L'
expect_saved lib.asm '\tnop\r\nhelper:;L\r\n\tret\r\n' "F12 did not go to the definition"

# Alt+Left: back to the end of "call helper" in prog.asm.
xdotool key alt+Left
BACK=$(window "Velmora Editor - prog.asm")
[ -n "$BACK" ] || fail "Alt+Left did not return to prog.asm"
xdotool type --delay 30 ';P'
expect_saved prog.asm 'start:\r\n\tld a,5\r\nX\tld q,3\r\n\tcall helper;P\r\n\tjp start\r\n' \
    "Alt+Left did not return to where the caret was"
echo "PASS"
