#!/bin/bash
# Recovery after a crash, with the built editor under a virtual X server and real keys: a file is
# opened and typed into, the editor is killed with SIGKILL, and the next start offers the unsaved
# changes; recovered and saved, the file holds exactly the typed text. A second kill and
# "Discard" when the file is opened again leave the file as it was and no journal behind.
# Usage: velmora_recover.sh PATH_TO_VELMORA [SCREENSHOT_DIR]
set -u
BIN=$1
SHOTS=${2:-$(pwd)}
E2E_NAME=velmora_recover
# No XDG_STATE_HOME: the journals go to the default ~/.local/state/velmora.
unset XDG_STATE_HOME
. "$(dirname "$0")/e2e_session.sh"
JOURNALS=$HOME/.local/state/velmora
printf 'start:\r\n\tret\r\n' > "$WORK/prog.asm"

# The id of the first window named exactly $1, waiting for it up to 30 s, with the focus.
wait_window() { find_window "$1" || fail "no window named '$1'"; }
journals() { ls "$JOURNALS" 2>/dev/null | grep -c '^journal-'; }
# Types into the editor's text, gives the journal time to sync, and kills the editor.
type_and_kill() {
    local win
    win=$(wait_window "Velmora Editor - prog.asm")
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
    sleep 0.2
    xdotool key ctrl+Home
    xdotool type --delay 30 "$1"
    xdotool key Return
    sleep 1.5
    kill -9 "$APP"
    wait "$APP" 2>/dev/null
    APP=""
    [ "$(journals)" = 1 ] || fail "no journal after the kill"
}

# Typed, killed, recovered at the next start, saved.
"$BIN" "$WORK/prog.asm" &
APP=$!
type_and_kill 'main: ld a,1'
"$BIN" &
APP=$!
wait_window "Velmora Editor" >/dev/null
xdotool key Return # "Recover" is the default answer
win=$(wait_window "Velmora Editor - prog.asm \\*")
xdotool key ctrl+s
expected=$(printf 'main: ld a,1\r\nstart:\r\n\tret\r\n' | od -An -c)
for _ in $(seq 50); do
    actual=$(od -An -c "$WORK/prog.asm")
    [ "$actual" = "$expected" ] && break
    sleep 0.1
done
[ "$actual" = "$expected" ] || { od -c "$WORK/prog.asm"; fail "the recovered and saved bytes differ"; }
for _ in $(seq 50); do [ "$(journals)" = 0 ] && break; sleep 0.1; done
[ "$(journals)" = 0 ] || fail "the journal outlived the save"
kill "$APP"
wait "$APP" 2>/dev/null

# Typed, killed, and discarded when the file is opened again.
"$BIN" "$WORK/prog.asm" &
APP=$!
type_and_kill 'oops'
"$BIN" "$WORK/prog.asm" &
APP=$!
wait_window "Velmora Editor" >/dev/null
xdotool key alt+d
wait_window "Velmora Editor - prog.asm" >/dev/null
[ "$(journals)" = 0 ] || fail "the discarded journal is still there"
actual=$(od -An -c "$WORK/prog.asm")
[ "$actual" = "$expected" ] || fail "discarding changed the file"
echo "PASS"
