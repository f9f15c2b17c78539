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
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
