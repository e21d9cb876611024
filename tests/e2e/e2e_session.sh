# What the end-to-end scripts share, sourced by them: a work folder with a private HOME, a virtual
# X server, the editor's window found by its title, keys sent to it, and saved files compared.
# Set before sourcing: SHOTS (where a failure's screenshot goes) and E2E_NAME (its file name).
# VELMORA_E2E_DISPLAY=n runs the server on display :n, VELMORA_XVFB_DISPLAYS="n m ..." on the
# first of those that is free (tests/common/xvfb.sh), instead of one it picks itself.
# After sourcing: WORK, DISPLAY; set APP to the editor's pid so the cleanup ends it.

WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

source "$(dirname "${BASH_SOURCE[0]}")/../common/xvfb.sh"
VELMORA_XVFB_DISPLAYS=${VELMORA_E2E_DISPLAY:-${VELMORA_XVFB_DISPLAYS:-}}
start_xvfb 1024x768x24 || { echo "FAIL: Xvfb did not start"; exit 1; }
cleanup() { kill "${APP:-}" 2>/dev/null; kill "$XVFB" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

fail() {
    echo "FAIL: $1"
    xwd -root -display "$DISPLAY" -out "$SHOTS/${E2E_NAME}_failure.xwd" 2>/dev/null &&
        echo "screenshot: $SHOTS/${E2E_NAME}_failure.xwd"
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
# Saves with Ctrl+S and waits for file $1 of the work folder to hold $2 (printf format); fails
# with $3 otherwise.
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
# Starts the editor on the files named, waits for its window titled after the last one, gives it
# the focus and clicks into the text at ($1, $2) in hundredths of the window's size. WIN is the
# window's id.
open_editor() {
    local x=$1 y=$2
    shift 2
    "$BIN" "$@" &
    APP=$!
    WIN=$(window "Velmora Editor - $(basename "${@: -1}")")
    [ -n "$WIN" ] || fail "the main window did not appear"
    focus "$WIN"
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    xdotool mousemove --window "$WIN" $((WIDTH * x / 100)) $((HEIGHT * y / 100)) click 1
    sleep 0.2
}
