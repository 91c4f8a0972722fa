#!/usr/bin/env bash
# Installs the Debian packages Brivadoro needs when any is missing, then configures and builds it in
# build/; with --packages, only installs. Quiet when there is nothing to do. Run from anywhere, as
# root or as a sudo user.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libsdl2-dev
    qt6-translations-l10n fonts-liberation2
    libx11-dev xvfb xauth
    po4a man-db desktop-file-utils appstream strace clang-format clang-tidy cppcheck
    xdotool dbus-daemon at-spi2-core python3-pyatspi imagemagick pulseaudio pulseaudio-utils openbox
    poppler-utils
    clang libclang-rt-dev llvm
)

tools/install-missing.sh "${packages[@]}"
[ "${1:-}" != --packages ] || exit 0

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if ! ninja -C build -n 2>/dev/null | grep -q 'no work to do'; then
    cmake --build build -- --quiet
fi
