#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows and packs it:
#
#   build/windows/goalvanta-<version>-win64.zip   the program folder, run from anywhere
#   build/windows/goalvanta-<version>-setup.exe   its installer (NSIS)
#
# Qt and GoogleTest for Windows are built once and cached (build-qt.sh,
# build-gtest.sh). The game is configured with the cached Qt's own qt-cmake, which
# chains to cmake/mingw-w64.cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/packaging/windows
out=$root/build/windows
game=$out/game
mkdir -p "$out"

version=$(sed -nE 's/^project\(Goalvanta VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
qt=$(bash "$here/build-qt.sh")
gtest=$(bash "$here/build-gtest.sh")

# The runtime of the POSIX-thread mingw-w64 that built everything.
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")

configure() {
    [ -f "$game/build.ninja" ] && return
    nice -n 19 "$qt/bin/qt-cmake" -S "$root" -B "$game" -G Ninja \
        "-DQT_CHAINLOAD_TOOLCHAIN_FILE=$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DGOALVANTA_BUILD_WINDOW=ON \
        "-DGTest_DIR=$gtest/lib/cmake/GTest" \
        -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
        -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >"$out/game-configure.log" 2>&1 ||
        { tail -40 "$out/game-configure.log" >&2; exit 1; }
}

# The DLLs a program or library imports that come with Qt or the toolchain, and
# theirs in turn; the system's own are not shipped.
copy_dependencies() {
    local folder=$1 file=$2 dll found dir
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p'); do
        [ -e "$folder/$dll" ] && continue
        found=
        for dir in "$qt/bin" "$mingw_runtime" /usr/x86_64-w64-mingw32/lib; do
            [ -f "$dir/$dll" ] && { found=$dir/$dll; break; }
        done
        [ -n "$found" ] || continue # a system DLL
        cp "$found" "$folder/$dll"
        copy_dependencies "$folder" "$folder/$dll"
    done
}

stage() {
    local folder=$out/stage/goalvanta-$version
    rm -rf "$out/stage"
    mkdir -p "$folder/platforms" "$folder/styles"
    cp "$game/src/window/goalvanta.exe" "$root/data/goalvanta_help.html" "$folder/"
    # The plugins the window needs: the Windows platform and the native style.
    cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
    cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
    local file
    for file in "$folder/goalvanta.exe" "$folder"/platforms/*.dll "$folder"/styles/*.dll; do
        copy_dependencies "$folder" "$file"
    done
    x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll \
        "$folder"/platforms/*.dll "$folder"/styles/*.dll
    echo "$folder"
}

configure
nice -n 19 cmake --build "$game" --target goalvanta
folder=$(stage)
zip=$out/goalvanta-$version-win64.zip
rm -f "$zip"
(cd "$(dirname "$folder")" && zip -qr9X "$zip" "$(basename "$folder")")
makensis -V2 "-DVERSION=$version" "-DSTAGE=$folder" "-DOUTFILE=$out/goalvanta-$version-setup.exe" \
    "-DICON=$game/src/window/goalvanta.ico" "$here/installer.nsi"
ls -l "$zip" "$out/goalvanta-$version-setup.exe"
