#!/bin/sh
# Builds one of the file readers' fuzz targets with clang and runs it.
#   tests/import/fuzz/run-fuzz.sh [results|breeding|settings] [SECONDS] [BUILD_DIR]
# The targets are also built by the main build when clang++ is found (tests/CMakeLists.txt), and a
# three-second run of each is part of the tests.
set -e
name=${1:-results}
seconds=${2:-300}
build=${3:-/tmp/build-fuzz}
src=$(cd "$(dirname "$0")/../../.." && pwd)
case $name in
results) dir=import ;;
breeding) dir=progeny ;;
settings) dir=output ;;
*) echo "unknown target $name" >&2; exit 2 ;;
esac
cmake -S "$src" -B "$build" -G Ninja -DTURF_FUZZ=ON >/dev/null
ninja -C "$build" "fuzz_$name"
mkdir -p "$build/fuzz-$name-long-corpus"
exec "$build/tests/$dir/fuzz-$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$build/fuzz-$name-long-corpus" "$src/tests/$dir/fuzz/corpus"
