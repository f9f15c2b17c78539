#!/usr/bin/env bash
# Installs what is missing, builds, and starts Turf Trawler on the player's data folder, the one the installed
# program works on (the built program says which it is), so that nothing of the player's is kept in the build
# tree, where deleting the build would delete it. A horses.mdb that an older run.sh left beside the built
# program is moved there when the data folder has none.
#
# BUILD_DIR names the build tree (default: build); TURF_SKIP_BUILD=1 starts what is built already.
set -euo pipefail
cd "$(dirname "$0")"
build=${BUILD_DIR:-build}
bin="$build/bin"
if [ -z "${TURF_SKIP_BUILD:-}" ]; then
    ./scripts/install-deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" --parallel "$(nproc)" --target turftrawler turftrawler-cli
fi
data=$("$bin/turftrawler-cli" data-folder)

# The files an older run.sh kept beside the built program, with the database first.
old="$bin/horses.mdb"
if [ -e "$old" ]; then
    if [ -e "$old-journal" ]; then
        echo "run.sh: $old was left where it is: a write to it was never finished. Run" \
            "\"$bin/turftrawler-cli --dir $bin weeks\" once to roll it back, then run.sh again." >&2
    elif [ -e "$data/horses.mdb" ]; then
        echo "run.sh: $old was left where it is: the data folder $data has a horses.mdb of its own," \
            "which Turf Trawler now works on. Move or delete one of the two." >&2
    else
        mkdir -p "$data"
        for name in horses.mdb KZTSettings.ini KZTSavednames.txt KZTWatchlist.txt TurfTrawlerWindow.ini; do
            [ -e "$bin/$name" ] && [ ! -e "$data/$name" ] || continue
            # Copied beside its place first and renamed into it, so that a copy cut short is never taken
            # for the file; the original goes only when the copy is whole.
            cp -p "$bin/$name" "$data/$name.moving"
            sync "$data/$name.moving"
            mv "$data/$name.moving" "$data/$name"
            sync "$data"
            rm "$bin/$name"
        done
        echo "run.sh: moved $old to the data folder $data, where Turf Trawler keeps it from now on."
    fi
fi
exec "$bin/turftrawler" --dir "$data" "$@"
