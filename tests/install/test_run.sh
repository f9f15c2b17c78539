#!/usr/bin/env bash
# ./run.sh starts the window on the folder the built program names as the player's data folder, never on a
# database beside the built program, and moves one that an older run.sh left there, or leaves it and says so.
# The window is stood in for by a script that writes down its arguments.
# Usage: test_run.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

bin=$scratch/build/bin
mkdir -p "$bin"
ln -s "$build/bin/turftrawler-cli" "$bin/turftrawler-cli"
printf '#!/bin/sh\necho "$@" > "%s/args"\n' "$scratch" > "$bin/turftrawler"
chmod +x "$bin/turftrawler"
export HOME=$scratch/home
unset XDG_DATA_HOME
data=$HOME/.local/share/turftrawler
run() { BUILD_DIR=$scratch/build TURF_SKIP_BUILD=1 bash "$source/run.sh" "$@" >"$scratch/out" 2>&1; }
cli() { "$bin/turftrawler-cli" "$@"; }

run --extra
[ "$(cat "$scratch/args")" = "--dir $data --extra" ] || fail "started with $(cat "$scratch/args")"
[ ! -e "$bin/horses.mdb" ] || fail "a database was made beside the built program"
XDG_DATA_HOME=$scratch/xdg run
[ "$(cat "$scratch/args")" = "--dir $scratch/xdg/turftrawler" ] || fail "XDG_DATA_HOME: $(cat "$scratch/args")"

# A database left by an older run.sh goes to the data folder that has none, with the lists beside it.
cli --dir "$bin" init
echo "Red Barn" >"$bin/KZTSavednames.txt"
sum=$(md5sum <"$bin/horses.mdb")
run
[ "$(md5sum <"$data/horses.mdb")" = "$sum" ] || fail "the database did not reach the data folder whole"
[ "$(cat "$data/KZTSavednames.txt")" = "Red Barn" ] || fail "the saved sets stayed behind"
[ ! -e "$bin/horses.mdb" ] && [ ! -e "$bin/KZTSavednames.txt" ] || fail "the moved files are still in the build"
grep -qF "moved $bin/horses.mdb to the data folder $data" "$scratch/out" || fail "no word of the move: $(cat "$scratch/out")"
[ "$(cat "$scratch/args")" = "--dir $data" ] || fail "after the move started with $(cat "$scratch/args")"

# With a database in the data folder, or a write to it unfinished, the old one stays where it is.
cli --dir "$bin" init
run
[ -e "$bin/horses.mdb" ] || fail "a database was moved over the data folder's own"
grep -qF "$bin/horses.mdb was left where it is: the data folder $data has a horses.mdb" "$scratch/out" ||
    fail "both databases are not named: $(cat "$scratch/out")"
rm "$data/horses.mdb"
touch "$bin/horses.mdb-journal"
run
[ -e "$bin/horses.mdb" ] && [ ! -e "$data/horses.mdb" ] || fail "a database with its journal was moved"
grep -qF "a write to it was never finished" "$scratch/out" || fail "the journal is not named: $(cat "$scratch/out")"
echo "run.sh: the player's data folder, an older build's database moved or left: ok"
