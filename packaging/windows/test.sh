#!/usr/bin/env bash
# The Windows build's tests under Debian's Wine: the core, storage and instance
# tests (GoogleTest), the window tests (QtTest on the offscreen platform), then the
# black-box run of the zipped game on an X display (blackbox.sh). Run after
# build.sh, which made the Qt, the zip and the build folder used here.
#
#   packaging/windows/test.sh            everything
#   packaging/windows/test.sh unit       the test programs only
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/packaging/windows
out=$root/build/windows
game=$out/game
version=$(sed -nE 's/^project\(Goalvanta VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
qt=$(bash "$here/build-qt.sh")
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")

# A prefix of the build's own; no Mono or Gecko installer dialog on its creation.
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$qt/bin;$mingw_runtime;/usr/x86_64-w64-mingw32/lib"
export QT_PLUGIN_PATH="Z:$qt/plugins"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Wine's own faces stand in for the Windows user-interface fonts only when told so;
# without this the window's text comes out in a small serif face.
for face in "Segoe UI" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "DejaVu Sans" /f \
        >/dev/null 2>&1
done
wineserver -w

nice -n 19 cmake --build "$game"

# Core tests of what only a POSIX system has: a character device at /dev/null, and
# permission bits kept across a save (a Windows file has an access list instead,
# which it takes from its folder).
posix_only='SaveGameData\.FailedSaveKeepsTheOldFileAndTheUnsavedState'
posix_only+='|SaveGameData\.SaveReplacesAnExistingFileAndKeepsItsMode'
# Under Wine even the offscreen platform needs a display: the toolkit's event loop
# and the hand-over receiver make (hidden) windows, which Wine creates through X.
if ! xvfb-run -a ctest --test-dir "$game" -j2 --output-on-failure --timeout 300 -E "$posix_only"; then
    # The QtTest programs' reports, which Wine keeps from ctest's pipe.
    while read -r name; do
        report=$(find "$game/tests" -name "$name.txt" | head -1)
        [ -n "$report" ] && { echo "--- $name:"; grep -v '^PASS ' "$report"; }
    done < <(sed -n 's/^[0-9]*:\([^:]*\)$/\1/p' "$game/Testing/Temporary/LastTestsFailed.log")
    exit 1
fi

[ "${1:-}" = unit ] && exit 0

# The Linux build whose save the Windows game must reproduce.
linux=$out/linux
cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGOALVANTA_BUILD_WINDOW=ON -DGOALVANTA_BUILD_TESTS=OFF >/dev/null
nice -n 19 cmake --build "$linux" --target goalvanta

fbdir=$out/blackbox-screen
mkdir -p "$fbdir"
xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $fbdir" \
    bash "$here/blackbox.sh" "$out/goalvanta-$version-win64.zip" \
    "$game/tests/windows/windows_copydata_sender.exe" "$linux/src/window/goalvanta" \
    "$out/blackbox" "$fbdir"
