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
E2E_NAME=velmora_z80_e2e
. "$(dirname "$0")/e2e_session.sh"
printf 'start:\r\n\tld a,5\r\n\tld q,3\r\n\tcall helper\r\n\tjp start\r\n' > "$WORK/prog.asm"
printf '\tnop\r\nhelper:\r\n\tret\r\n' > "$WORK/lib.asm"

# lib.asm first, so prog.asm is the active window.
open_editor 33 33 "$WORK/lib.asm" "$WORK/prog.asm"
xdotool key ctrl+Home

# F7: pasmo stops at "ld q,3" on line 3. Its message arrives in the output pane; F4 goes there.
xdotool key F7
# F4 again and again: before the message has arrived it does nothing, after it always goes to
# the one message, so a slow run only needs the last press to come after it.
for _ in 1 2 3; do
    sleep 0.7
    xdotool key F4
done
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
