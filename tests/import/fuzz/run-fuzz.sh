#!/bin/sh
# Builds one of the reader fuzz targets with clang and runs it.
#   tests/import/fuzz/run-fuzz.sh [TARGET] [SECONDS] [BUILD_DIR]
# TARGET is fuzz_results (the default), fuzz_breeding or fuzz_settings. The targets are also built by the
# main build when clang++ is found (tests/CMakeLists.txt), and a three-second run of each is part of the
# tests.
set -e
target=${1:-fuzz_results}
seconds=${2:-300}
build=${3:-/tmp/build-fuzz}
src=$(cd "$(dirname "$0")/../../.." && pwd)
case $target in
fuzz_results) dir=import ;;
fuzz_breeding) dir=progeny ;;
fuzz_settings) dir=output ;;
*) echo "unknown target $target" >&2; exit 2 ;;
esac
name=$(echo "$target" | tr _ -)
cmake -S "$src" -B "$build" -G Ninja -DTURF_FUZZ=ON >/dev/null
ninja -C "$build" "$target"
mkdir -p "$build/$name-long-corpus"
exec "$build/tests/$dir/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$build/$name-long-corpus" "$src/tests/$dir/fuzz/corpus-$name"
