#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Until the editor window exists this
# shows the bundled example (or the files named) coloured by the command-line highlighter.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ $# -eq 0 ]; then
    set -- examples/*.asm
fi
exec build/bin/velmora-highlight --format=ansi "$@"
