#!/usr/bin/env bash
# Installs what is missing, builds, places an empty horses.mdb beside the program, and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)" --target turftrawler turftrawler-cli
bin="$build/bin"
if [ ! -e "$bin/horses.mdb" ]; then
    "$bin/turftrawler-cli" --dir "$bin" init
fi
exec "$bin/turftrawler" "$@"
