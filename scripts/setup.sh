#!/usr/bin/env bash
# Installs every system package the build, the programs and the tests need (Debian 12, as root).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    qt6-base-dev qt6-svg-dev libgl-dev libxcb1-dev
    fonts-liberation2 fonts-dejavu-core
    xvfb xauth emf2svg libwmf-bin poppler-utils valgrind zlib1g-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
