#!/bin/sh
# Builds the results reader fuzz target with clang and runs it.
#   tests/import/fuzz/run-fuzz.sh [SECONDS] [BUILD_DIR]
# The target is also built by the main build when clang++ is found (tests/import/CMakeLists.txt), and a
# three-second run is part of the tests.
set -e
seconds=${1:-300}
build=${2:-/tmp/build-fuzz}
src=$(cd "$(dirname "$0")/../../.." && pwd)
cmake -S "$src" -B "$build" -G Ninja -DTURF_FUZZ=ON >/dev/null
ninja -C "$build" fuzz_results
mkdir -p "$build/fuzz-corpus"
exec "$build/tests/import/fuzz-results" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    "$build/fuzz-corpus" "$src/tests/import/fuzz/corpus"
