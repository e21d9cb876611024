#!/bin/bash
# Drives the built editor under a virtual X server with the real mouse: drags a line from one
# splitter pane to another and from one document window to another, with and without Ctrl; copies
# to the clipboard and reads it with xclip, sets it with xclip and pastes; pastes the primary
# selection with the middle button. Each step is checked on the saved bytes, and a move is undone
# in one step. On failure a screenshot is kept next to the work folder.
#
# Positions come from screenshots: screen_probe.py finds each view's text area and measures the
# character cells on the first lines of the test file ("::::" over ":x").
# Usage: velmora_mouse_e2e.sh PATH_TO_VELMORA [SCREENSHOT_DIR], on the X display in DISPLAY (a
# 1280x1024 screen without a window manager, as tests/common/run_under_xvfb.sh starts one).
set -u
BIN=$1
SHOTS=${2:-$(pwd)}
HERE=$(cd "$(dirname "$0")" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no X display (run it under tests/common/run_under_xvfb.sh)"; exit 1; }
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
A_TEXT='::::\r\n:x\r\n\tld a,1\r\n\tld b,2\r\n\tret\r\n'
B_TEXT='other:\r\n\tnop\r\n'
printf "$A_TEXT" > "$WORK/a.asm"
printf "$B_TEXT" > "$WORK/b.asm"

export QT_QPA_PLATFORM=xcb
cleanup() { kill "${APP:-}" 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

fail() {
    echo "FAIL: $1"
    xwd -root -display "$DISPLAY" -out "$SHOTS/velmora_mouse_e2e_failure.xwd" 2>/dev/null &&
        echo "screenshot: $SHOTS/velmora_mouse_e2e_failure.xwd"
    exit 1
}

"$BIN" "$WORK/a.asm" &
APP=$!
WIN=""
for _ in $(seq 100); do
    WIN=$(xdotool search --name "Velmora Editor - a.asm" 2>/dev/null | head -1)
    [ -n "$WIN" ] && break
    sleep 0.1
done
[ -n "$WIN" ] || fail "the main window did not appear"
xdotool windowactivate --sync "$WIN" 2>/dev/null || xdotool windowfocus --sync "$WIN"
# The window opens where it was last left; the screen corner leaves room for it to grow.
xdotool windowmove --sync "$WIN" 0 0
sleep 0.5

# Reads the views into VIEWS (one "LEFT TOP BOTTOM RIGHT" a line) and the cell size into CW, RH.
probe() {
    sleep 0.4
    xwd -root -display "$DISPLAY" -out "$WORK/shot.xwd" || fail "no screenshot"
    local out
    out=$(python3 "$HERE/screen_probe.py" "$WORK/shot.xwd" ${1:-}) || fail "the probe failed"
    VIEWS=$(echo "$out" | sed -n 's/^view //p')
    if [ -n "${1:-}" ]; then
        read -r CW RH <<<"$(echo "$out" | sed -n 's/^cells //p')"
    fi
}
# The view of line N of VIEWS: sets L T B R.
view() { read -r L T B R <<<"$(echo "$VIEWS" | sed -n "${1}p")"; }
# The middle of text line LINE (from the view's top) at the start of the text, and in the margin.
text_y() { echo $((T + $1 * RH + RH / 2)); }
margin_x() { echo $((L - 10)); }

# Saves the document of the active window and waits until FILE holds EXPECTED (printf format).
expect_saved() {
    local file=$1 expected=$2 what=$3 actual
    xdotool key ctrl+s
    expected=$(printf "$expected" | od -An -c)
    for _ in $(seq 50); do
        actual=$(od -An -c "$file")
        [ "$actual" = "$expected" ] && return 0
        sleep 0.1
    done
    echo "file now:"
    od -c "$file"
    fail "$what: the saved bytes differ"
}

# Selects line LINE of the current view with a click in its margin.
select_line() {
    xdotool mousemove "$(margin_x)" "$(text_y "$1")" click 1
    sleep 0.2
}

# Drags from the start of line FROM of the current view to (X, Y), Ctrl held at the drop with
# "ctrl".
drag_to() {
    local from=$1 x=$2 y=$3 keys=${4:-}
    local sx=$((L + 2)) sy
    sy=$(text_y "$from")
    xdotool mousemove "$sx" "$sy" mousedown 1
    sleep 0.2
    xdotool mousemove $((sx + 3)) $((sy + 3))
    sleep 0.2
    [ "$keys" = ctrl ] && xdotool keydown ctrl
    xdotool mousemove $(((sx + x) / 2)) $(((sy + y) / 2))
    sleep 0.2
    xdotool mousemove "$x" "$y"
    sleep 0.3
    xdotool mouseup 1
    [ "$keys" = ctrl ] && xdotool keyup ctrl
    sleep 0.4
}

# The caret goes out of the way of the measured characters.
xdotool key ctrl+End
probe --cells
[ "$(echo "$VIEWS" | wc -l)" -eq 1 ] || fail "expected one view, found: $VIEWS"
[ "${CW:-0}" -gt 3 ] && [ "${RH:-0}" -gt 5 ] || fail "cells of ${CW:-?} x ${RH:-?} pixels"
xdotool key ctrl+Home
view 1
A_LEFT=$L A_RIGHT=$R

# Split the window into two rows: the row split box sits above the vertical scroll bar.
view 1
xdotool mousemove $((R + 6)) $((T + 3)) mousedown 1
sleep 0.2
xdotool mousemove $((R + 6)) $((T + 40))
sleep 0.1
xdotool mousemove $((R + 6)) $((T + 9 * RH))
sleep 0.2
xdotool mouseup 1
probe
[ "$(echo "$VIEWS" | wc -l)" -eq 2 ] || fail "the split gave no second pane: $VIEWS"
view 2
BOTTOM_T=$T
view 1

# ---- Pane to pane: "\tld a,1" moves before "\tret" of the lower pane, then back in one undo.
select_line 2
drag_to 2 $((L + 1)) $((BOTTOM_T + 4 * RH + RH / 2))
expect_saved "$WORK/a.asm" '::::\r\n:x\r\n\tld b,2\r\n\tld a,1\r\n\tret\r\n' "move between panes"
xdotool key ctrl+z
expect_saved "$WORK/a.asm" "$A_TEXT" "undo of the move between panes"
view 1
select_line 2
drag_to 2 $((L + 1)) $((BOTTOM_T + 4 * RH + RH / 2)) ctrl
expect_saved "$WORK/a.asm" '::::\r\n:x\r\n\tld a,1\r\n\tld b,2\r\n\tld a,1\r\n\tret\r\n' \
    "copy between panes"
xdotool key ctrl+z
expect_saved "$WORK/a.asm" "$A_TEXT" "undo of the copy between panes"

# ---- Clipboard out: a copied line and a mouse selection, as other applications read them.
view 1
select_line 0
xdotool key ctrl+c
sleep 0.3
[ "$(xclip -o -selection clipboard | od -An -c)" = "$(printf '::::\n' | od -An -c)" ] ||
    fail "xclip read '$(xclip -o -selection clipboard)' from the clipboard"
[ "$(xclip -o -selection primary | od -An -c)" = "$(printf '::::\n' | od -An -c)" ] ||
    fail "xclip read '$(xclip -o -selection primary)' from the primary selection"

# ---- Clipboard in: UTF-8 with LF from another application, in the document's code page
# (Windows-1251: Zhe is 0xC6, e acute is not there) with CR LF; the selected line is replaced.
printf 'x\xd0\x96\xc3\xa9\ny\n' | xclip -i -selection clipboard >/dev/null 2>&1
sleep 0.3
select_line 1
xdotool key ctrl+v
expect_saved "$WORK/a.asm" '::::\r\nx\306?\r\ny\r\n\tld a,1\r\n\tld b,2\r\n\tret\r\n' "paste from xclip"
xdotool key ctrl+z
expect_saved "$WORK/a.asm" "$A_TEXT" "undo of the paste"

# ---- The middle button pastes the primary selection where it is pressed.
printf 'mid' | xclip -i -selection primary >/dev/null 2>&1
sleep 0.3
xdotool mousemove $((L + 1)) "$(text_y 3)" click 2
expect_saved "$WORK/a.asm" '::::\r\n:x\r\n\tld a,1\r\nmid\tld b,2\r\n\tret\r\n' "middle click"
xdotool key ctrl+z
expect_saved "$WORK/a.asm" "$A_TEXT" "undo of the middle click"

# ---- Window to window: a second document, the windows tiled side by side.
xdotool key ctrl+o
sleep 1.0
xdotool type --delay 20 "$WORK/b.asm"
xdotool key Return
for _ in $(seq 50); do
    xdotool search --name "Velmora Editor - b.asm" >/dev/null 2>&1 && break
    sleep 0.1
done
# Room for both windows side by side: the main window grows, and the new window's title bar is
# dragged to the right.
xdotool windowsize "$WIN" 1280 1000
probe
NEW=$(echo "$VIEWS" | awk -v a="$A_LEFT" '$1 != a {print NR; exit}')
view "${NEW:-3}"
# The text of b.asm begins right of the window of a.asm (its scroll bar and frame).
SHIFT=$((A_RIGHT + 40 - L))
xdotool mousemove $((L + 80)) $((T - 12)) mousedown 1
sleep 0.2
xdotool mousemove $((L + 120)) $((T - 12))
sleep 0.1
xdotool mousemove $((L + 80 + SHIFT)) $((T - 12))
sleep 0.2
xdotool mouseup 1
probe
[ "$(echo "$VIEWS" | wc -l)" -eq 3 ] || fail "expected three views side by side: $VIEWS"
# The window of b.asm has one pane: the view whose left edge no other view shares.
B_VIEW=$(echo "$VIEWS" | awk '{n[$1]++; line[$1]=NR} END {for (l in n) if (n[l] == 1) print line[l]}')
A_VIEW=$(echo "$VIEWS" | awk -v b="$B_VIEW" 'NR != b {print NR; exit}')
[ -n "$B_VIEW" ] && [ -n "$A_VIEW" ] || fail "cannot tell the windows apart: $VIEWS"
view "$B_VIEW"
B_L=$L B_T=$T
view "$A_VIEW"
select_line 2
drag_to 2 $((B_L + 1)) $((B_T + RH + RH / 2))
# The window that took the drop is active: its document is saved first.
expect_saved "$WORK/b.asm" 'other:\r\n\tld a,1\r\n\tnop\r\n' "move between windows (target)"
view "$A_VIEW"
xdotool mousemove $((L + 1)) "$(text_y 0)" click 1
expect_saved "$WORK/a.asm" '::::\r\n:x\r\n\tld b,2\r\n\tret\r\n' "move between windows (source)"
select_line 1
drag_to 1 $((B_L + 1)) $((B_T + RH / 2)) ctrl
expect_saved "$WORK/b.asm" ':x\r\nother:\r\n\tld a,1\r\n\tnop\r\n' "copy between windows"
view "$A_VIEW"
xdotool mousemove $((L + 1)) "$(text_y 0)" click 1
expect_saved "$WORK/a.asm" '::::\r\n:x\r\n\tld b,2\r\n\tret\r\n' "copy leaves the source"
echo "PASS"
