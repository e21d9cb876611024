#!/usr/bin/env bash
# The checks CI adds to the test command: formatting, the include layers, sanitizer build of the
# engine tests, and a bounded run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"

echo "== clang-format"
files=$(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror $files

echo "== include layers"
scripts/check-layers.sh

echo "== engine tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_WERROR=ON \
    -DVELMORA_ENGINE_ONLY=ON -DVELMORA_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzzers"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
    -DVELMORA_WERROR=ON \
    -DVELMORA_ENGINE_ONLY=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
seconds="${VELMORA_FUZZ_SECONDS:-30}"
for f in build-fuzz/bin/fuzz_*; do
    corpus="build-fuzz/corpus/$(basename "$f")"
    mkdir -p "$corpus"
    echo "-- $(basename "$f") for ${seconds}s"
    "$f" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
        "$corpus" 2>&1 | tail -n 3
done
echo "fuzzers: no crash"
