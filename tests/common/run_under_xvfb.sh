#!/bin/bash
# Runs a command on a virtual X server of its own with the Qt xcb platform and a private HOME, and
# returns the command's exit status (the display: tests/common/xvfb.sh).
# Usage: run_under_xvfb.sh COMMAND [ARGUMENT...]
set -u
work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
source "$(dirname "$0")/xvfb.sh"
cleanup() {
    kill "${XVFB:-}" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
if ! start_xvfb 1280x1024x24; then
    echo "run_under_xvfb.sh: Xvfb did not start" >&2
    exit 1
fi
"$@"
