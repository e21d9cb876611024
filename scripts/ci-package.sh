#!/usr/bin/env bash
# The release build CI adds: a Release tree (programs only: the tests and benchmarks run in the
# RelWithDebInfo tree of ./test.sh), warnings as errors, then its install tree and Debian package
# checked by scripts/check-package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON \
    -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)"
scripts/check-package.sh build-release
