#!/bin/sh
# Builds one of the readers' fuzz targets with clang and runs it.
#   tests/run-fuzz.sh TARGET [SECONDS] [BUILD_DIR] [CORPUS_DIR] [libFuzzer options...]
# TARGET is results, breeding, settings, savednames or lineage. The corpus the run grows goes to CORPUS_DIR
# (BUILD_DIR/fuzz-TARGET-long-corpus when not given); the seeds in the source tree are only read. Further
# options go to libFuzzer as they stand, for example -runs=10000000 to stop at ten million executions.
# The targets are also built by the main build when clang++ is found (tests/CMakeLists.txt), and a
# three-second run of each is part of the tests.
set -e
name=${1:-results}
seconds=${2:-300}
build=${3:-/tmp/build-fuzz}
corpus=${4:-$build/fuzz-$name-long-corpus}
[ $# -gt 4 ] && shift 4 || set --
src=$(cd "$(dirname "$0")/.." && pwd)
seeds=fuzz/corpus
dict=
case $name in
results) dir=import ;;
breeding) dir=progeny ;;
settings) dir=output ;;
savednames) dir=search ;;
lineage) dir=lineage seeds=../data/lineage dict=-dict=$src/tests/lineage/fuzz/markers.dict ;;
*) echo "unknown target $name" >&2; exit 2 ;;
esac
cmake -S "$src" -B "$build" -G Ninja -DTURF_FUZZ=ON >/dev/null
ninja -C "$build" "fuzz_$name"
mkdir -p "$corpus"
exec "$build/tests/$dir/fuzz-$name" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
    $dict "$@" "$corpus" "$src/tests/$dir/$seeds"
