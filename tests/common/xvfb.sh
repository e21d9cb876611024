#!/bin/bash
# Sourced by the scripts that run the editor under a virtual X server.
#
# start_xvfb SCREEN (e.g. 1024x768x24) starts Xvfb and, once it is ready, sets XVFB (its pid) and
# exports DISPLAY and QT_QPA_PLATFORM=xcb; it returns 1 when no server started. The server runs
# with -noreset: a client that connects while the server resets after the last one left makes Qt
# abort, and the editor is often started more than once. With VELMORA_XVFB_DISPLAYS set to a list
# of display numbers ("130 131 132") the server takes the first of them that is free, so that
# several people on one machine can keep to their own; otherwise it picks a free display itself.
start_xvfb() {
    local screen=$1 number candidates=("")
    [ -n "${VELMORA_XVFB_DISPLAYS:-}" ] && read -r -a candidates <<<"$VELMORA_XVFB_DISPLAYS"
    for number in "${candidates[@]}"; do
        # Xvfb writes the display's number to the pipe when it is ready; a taken display makes it
        # end at once, and the read sees the pipe's end.
        exec 3< <(exec Xvfb ${number:+":$number"} -displayfd 1 -screen 0 "$screen" \
            -nolisten tcp -noreset 2>/dev/null)
        XVFB=$!
        if read -r -t 20 number <&3 && [ -n "$number" ]; then
            exec 3<&-
            export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
            return 0
        fi
        exec 3<&-
        kill "$XVFB" 2>/dev/null
    done
    return 1
}

# find_window NAME [SECONDS] waits (30 s by default) for a window whose name is exactly NAME,
# gives it the focus and prints its id; returns 1 when none appears.
find_window() {
    local win="" _
    for _ in $(seq $((${2:-30} * 10))); do
        win=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || return 1
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win" 2>/dev/null || true
    sleep 0.3
    echo "$win"
}
