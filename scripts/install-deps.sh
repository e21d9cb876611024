#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang clang-format libclang-rt-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libgl-dev libxcb-xkb-dev pkgconf
    fonts-liberation2
    xvfb xdotool xclip x11-apps python3
    strace pasmo z80asm poppler-utils
    dpkg-dev desktop-file-utils man-db
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
