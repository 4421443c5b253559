#!/usr/bin/env bash
# Goalvanta's one entry point for a fresh Debian 12 machine.
#
#   ./dev.sh play   install what is missing, build, and start the game
#   ./dev.sh test   install what is missing, build, and run every test
#
# Packages are installed with apt-get (through sudo when not run as root). Set
# GOALVANTA_NO_INSTALL=1 to skip that step on a machine that has everything.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev xvfb xauth)

install_missing() {
    [ "${GOALVANTA_NO_INSTALL:-0}" = 1 ] && return
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

build() {
    cmake --preset default -DGOALVANTA_BUILD_WINDOW=ON >/dev/null
    cmake --build --preset default
}

case "${1:-}" in
play)
    install_missing
    build
    exec build/default/src/window/goalvanta "${@:2}"
    ;;
test)
    install_missing
    build
    # Widget tests run on the offscreen platform: no display is needed.
    QT_QPA_PLATFORM=offscreen ctest --preset default --output-on-failure
    ;;
*)
    sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
