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
E2E_NAME=velmora_search_e2e
. "$(dirname "$0")/e2e_session.sh"
printf 'start:\r\n\tld a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' > "$WORK/prog.asm"

open_editor 50 50 "$WORK/prog.asm"
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
expect_saved prog.asm 'start:\r\n\tXX a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' "Find, F3, Shift+F3 and typing"

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
expect_saved prog.asm 'start:\r\n\tXX a,1\r\n\tLD b,2\r\n\tLD c,3\r\n\tret\r\n' "Replace All"

# One undo takes back both replacements, and nothing typed before them.
xdotool key ctrl+z
expect_saved prog.asm 'start:\r\n\tXX a,1\r\n\tld b,2\r\n\tld c,3\r\n\tret\r\n' "undo of Replace All"
echo "PASS"
