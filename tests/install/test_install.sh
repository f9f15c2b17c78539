#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a player would: the files are where the desktop
# looks for them and valid, and the installed tool keeps its database in the player's data folder.
# Usage: test_install.sh BUILD_DIR TEST_DATA_DIR
set -euo pipefail
build=$1
data=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
app=io.github.turftrawler.TurfTrawler
for f in bin/turftrawler bin/turftrawler-cli \
         share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
         share/icons/hicolor/scalable/apps/$app.svg share/icons/hicolor/48x48/apps/$app.png \
         share/icons/hicolor/256x256/apps/$app.png \
         share/man/man1/turftrawler.1.gz share/man/man1/turftrawler-cli.1.gz \
         share/doc/turftrawler/README.md share/doc/turftrawler/copyright share/doc/turftrawler/changelog.gz \
         share/bash-completion/completions/turftrawler-cli; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$prefix/share/applications/$app.desktop"
appstreamcli validate --no-net --no-color "$prefix/share/metainfo/$app.metainfo.xml" >/dev/null
zcat "$prefix/share/man/man1/turftrawler-cli.1.gz" | grep -q 'sample' || fail "the CLI's man page lacks its commands"
zcat "$prefix/share/man/man1/turftrawler.1.gz" | grep -qF '\-\-dir' || fail "the man page lacks --dir"
# The licence, said alike in the copyright file and the metadata; the package where its menu entry is, with
# the grid's font.
grep -qx 'License: GPL-3+' "$prefix/share/doc/turftrawler/copyright" &&
    grep -qF '/usr/share/common-licenses/GPL-3' "$prefix/share/doc/turftrawler/copyright" ||
    fail "the copyright file does not give the GPL"
grep -qF '<project_license>GPL-3.0-or-later</project_license>' "$prefix/share/metainfo/$app.metainfo.xml" ||
    fail "the metadata does not give the GPL"
grep -q '^Categories=Game;' "$prefix/share/applications/$app.desktop" &&
    grep -qF 'set(CPACK_DEBIAN_PACKAGE_SECTION "games")' "$build/CPackConfig.cmake" ||
    fail "the package's section and its menu entry disagree"
grep -q 'set(CPACK_DEBIAN_PACKAGE_DEPENDS ".*fonts-liberation' "$build/CPackConfig.cmake" ||
    fail "the package does not depend on the grid's font"
grep -qF 'Turf Trawler developers <' "$build/CPackConfig.cmake" || fail "the maintainer is not the developers"

# The installed programs, as a player without a screen or a data folder yet has them.
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME"
cli=$prefix/bin/turftrawler-cli
version=$(sed -n 's/^project(TurfTrawler VERSION \([0-9.]*\).*/\1/p' "$data/../../CMakeLists.txt")
[ "$("$cli" --version)" = "turftrawler-cli $version" ] || fail "turftrawler-cli --version"
[ "$("$prefix/bin/turftrawler" --version)" = "turftrawler $version" ] || fail "turftrawler --version"
"$cli" weeks 2>"$scratch/err" && fail "weeks without a database succeeded"
grep -qF "$XDG_DATA_HOME/turftrawler/horses.mdb" "$scratch/err" || fail "weeks without a database: $(cat "$scratch/err")"
"$cli" init
[ -f "$XDG_DATA_HOME/turftrawler/horses.mdb" ] || fail "init did not make the database in the data folder"
"$cli" import "$data/import/generated/raceout578.txt" >/dev/null
[ "$("$cli" weeks)" = "Week 578" ] || fail "the imported week is not listed"
"$cli" search --horse 'Swift Bear' | grep -q '"578\.0101"' || fail "search finds nothing in the imported week"
"$cli" info | grep -q "Folder in use: $XDG_DATA_HOME/turftrawler" || fail "info names another folder"

# Completion offers the tool's commands and a command's options.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    got=$(bash -c "source /usr/share/bash-completion/bash_completion
        source '$prefix/share/bash-completion/completions/turftrawler-cli'
        COMP_WORDS=('$cli' search --ho); COMP_CWORD=2; COMP_LINE='$cli search --ho'; COMP_POINT=\${#COMP_LINE}
        _turftrawler_cli; echo \${COMPREPLY[*]}")
    [ "$got" = "--horse" ] || fail "completion of search --ho gave '$got'"
fi
echo "installed files, menu entry, metadata, man pages and the installed tool: ok"
