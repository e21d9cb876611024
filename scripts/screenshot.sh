#!/usr/bin/env bash
# Takes the README's screenshot: the built editor on the bundled example, on a virtual X server
# with private settings, written to docs/screenshot.png. Run it again after a visible change.
#
# Usage: scripts/screenshot.sh [BUILD_DIR]      (default: build)
# Needs Xvfb, xdotool, xwd (x11-apps) and netpbm (xwdtopnm, pnmtopng).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$repo/build}
velmora=$build/bin/velmora
out=$repo/docs/screenshot.png
for tool in Xvfb xdotool xwd xwdtopnm pnmtopng; do
    command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing" >&2; exit 2; }
done
[[ -x $velmora ]] || { echo "screenshot.sh: build $velmora first" >&2; exit 2; }

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME/Ostrel" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The document fills the workspace.
printf '[Window%%20Placement]\nDocumentsMaximized=1\n' >"$XDG_CONFIG_HOME/Ostrel/Velmora Editor.ini"

source "$(dirname "$0")/../tests/common/xvfb.sh"
xvfb=
app=
cleanup() {
    [[ -n $app ]] && kill "$app" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb 1280x800x24 || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
xvfb=$XVFB

cp "$repo/examples/serial_monitor.asm" "$work/serial_monitor.asm"
"$velmora" "$work/serial_monitor.asm" 2>/dev/null &
app=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Velmora Editor - ' 2>/dev/null | head -1) || true
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || { echo "screenshot.sh: the editor's window did not appear" >&2; exit 1; }
# The caret on a line with a comment, as someone would stop reading.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" ctrl+Home Down Down Down Down Down End
sleep 1
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng -compression 9 >"$out.new"
mv "$out.new" "$out"
echo "screenshot.sh: wrote $out"
