#!/bin/bash
# Runs a command on a virtual X server of its own with the Qt xcb platform and a private HOME, and
# returns the command's exit status. Xvfb picks a free display itself.
# Usage: run_under_xvfb.sh COMMAND [ARGUMENT...]
set -u
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if ! read -r -t 20 display <&3; then
    echo "run_under_xvfb.sh: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
"$@"
