#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# (Qt Charts finds its OpenGL dependency through libqt6opengl6-dev, which qt6-charts-dev does not pull in.
# help2man writes the man pages; the install test checks the menu entry and the AppStream metadata with
# desktop-file-utils and appstream, and the tool's completion with bash-completion; dpkg-dev's
# dpkg-shlibdeps finds the package's dependencies.)
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libsqlite3-dev sqlite3 libzip-dev clang libclang-rt-14-dev xvfb xauth fonts-liberation
          qt6-charts-dev libqt6opengl6-dev clang-format help2man desktop-file-utils appstream dpkg-dev
          bash-completion)
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
# A package manager run that was cut short (a machine stopped during an install) leaves packages half
# configured or with triggers pending, and apt-get then refuses every install until it is finished.
if [ -n "$(dpkg --audit 2>/dev/null)" ]; then
    echo "Finishing an interrupted package installation (dpkg --configure -a)"
    DEBIAN_FRONTEND=noninteractive $sudo_cmd dpkg --configure -a || echo "dpkg --configure -a failed; trying the install anyway" >&2
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -Eq "install ok (installed|triggers-pending|triggers-awaited)" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
