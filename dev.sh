#!/usr/bin/env bash
# Goalvanta's one entry point for a fresh Debian 12 machine.
#
#   ./dev.sh play   install what is missing, build, and start the game
#   ./dev.sh test   install what is missing, build, and run every test
#   ./dev.sh asan   the same tests, built with the address and undefined-behaviour sanitizers
#   ./dev.sh fuzz [SECONDS]   build the fuzz targets with clang, run each (default 60 s)
#   ./dev.sh package   build the .deb with Debian's hardening flags in build/package,
#                      lint it, install it on this machine and try the installed game
#   ./dev.sh windows [test]   cross-build the Windows zip and installer in build/windows
#                      (Qt for Windows is built once, about 45 min, and cached in
#                      ~/.cache/goalvanta); with "test", run its tests under Wine
#
# Packages are installed with apt-get (through sudo when not run as root). Set
# GOALVANTA_NO_INSTALL=1 to skip that step on a machine that has everything.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev xvfb xauth desktop-file-utils appstream shared-mime-info dpkg-dev
          lintian devscripts libglib2.0-bin man-db)

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

# The package is built as Debian builds its own: the flags of dpkg-buildflags with
# every hardening feature (stack protector, fortified calls, full RELRO, PIE), in a
# folder of its own so that they never mix with the development build's.
build_package() {
    local flags
    flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)
    (
        eval "$flags"
        # hardening-check also asks for stack clash protection and control flow
        # protection, which Debian 12's dpkg-buildflags does not add yet (later ones
        # do, as "stackclash" and "branch").
        for flag in -fstack-clash-protection -fcf-protection; do
            [[ " $CXXFLAGS " == *" $flag "* ]] || CXXFLAGS+=" $flag"
        done
        cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DGOALVANTA_BUILD_WINDOW=ON -DGOALVANTA_BUILD_TESTS=OFF \
            "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
            "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS" >/dev/null
        cmake --build build/package
    )
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
asan)
    install_missing
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    ctest --preset asan # sanitizer options and suppressions: CMakePresets.json
    ;;
package)
    install_missing
    build_package
    bash tests/package/check_deb.sh build/package
    ;;
windows)
    # Debian's mingw-w64 with POSIX threads; Qt's own source and the host tools that
    # build it; NSIS for the installer; Wine and an X server for the tests.
    packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools
               googletest nsis wine wine64 xvfb xdotool fonts-dejavu-core unzip zip python3)
    install_missing
    bash packaging/windows/build.sh
    if [ "${2:-}" = test ]; then
        bash packaging/windows/test.sh
    fi
    ;;
fuzz)
    packages+=(clang-14 libclang-rt-14-dev) # libclang-rt-14-dev holds libFuzzer
    install_missing
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    bash fuzz/run.sh "${2:-60}"
    ;;
*)
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
