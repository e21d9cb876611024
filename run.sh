#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on the files named, or on a bundled
# example when none is named.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ $# -eq 0 ]; then
    set -- examples/serial_monitor.asm
fi
exec build/bin/velmora "$@"
