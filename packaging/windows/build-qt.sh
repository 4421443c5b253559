#!/usr/bin/env bash
# Builds Qt for Windows from Debian's own qt6-base source, with the mingw-w64
# toolchain, and installs it under ~/.cache/goalvanta. Debian ships no Qt for
# Windows, and a build takes the better part of an hour on two cores, so the
# installed tree is kept and found again by its version and options.
#
#   packaging/windows/build-qt.sh         prints the installed Qt's folder (builds it first if needed)
#
# Progress goes to stderr; stdout carries only the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$root/build/windows/qt
toolchain=$root/cmake/mingw-w64.cmake
qt_version=6.4.2
source_package=qt6-base

# What the game and its tests need, and no more: Core, Gui, Widgets, Network and
# Test with the windows, offscreen and style plugins.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_openssl=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_testlib=ON
    # Debian's repacked source has no wintab headers.
    -DFEATURE_tabletevent=OFF
    # The windows platform plugin of this version does not compile without OpenGL;
    # it is loaded at run time (dynamic), so no OpenGL library is needed to start.
    -DFEATURE_opengl=ON
)

# Of what qt6-base holds, only these are built and installed (with what they
# need): no Direct2D platform, no image format, TLS or network-information plugin.
targets=(
    src/corelib/all src/gui/all src/opengl/all src/widgets/all src/network/all
    src/testlib/all src/entrypoint/all
    src/plugins/platforms/windows/all src/plugins/platforms/offscreen/all
    src/plugins/styles/windowsvista/all
)

# The libraries Qt bundles and links into Core and Gui. Their folders' own targets
# are never all up to date after the build above (so the check below would skip
# them), yet Core's and Gui's package files ask for their package files: they are
# built by name and always installed. They belong to what the targets above
# produce, so they are not part of the cache key.
bundled_targets=(BundledZLIB BundledHarfbuzz BundledFreetype BundledLibpng)
bundled_dirs=(src/3rdparty/zlib src/3rdparty/harfbuzz-ng src/3rdparty/freetype src/3rdparty/libpng)

say() { echo "build-qt: $*" >&2; }

configure_key=$(printf '%s\n' "$qt_version" "${options[@]}" "$(cat "$toolchain")" |
    sha256sum | cut -c1-12)
key=$(printf '%s\n' "$configure_key" "${targets[@]}" | sha256sum | cut -c1-12)
cache=${GOALVANTA_QT_CACHE:-$HOME/.cache/goalvanta}
prefix=$cache/qt-windows-$qt_version-$key

if [ -f "$prefix/.complete" ]; then
    say "using the cached Qt in $prefix"
    echo "$prefix"
    exit 0
fi

# The source comes through an apt configuration of the build's own, so that the
# machine's sources, lists and cache stay as they are: the same archives as the
# machine's apt sources, with deb-src in place of deb.
fetch_source() {
    local apt=$work/apt
    rm -rf "$apt"
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
    : >"$apt/sources.list"
    local found=0 f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
        found=1
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt/sources.list"
        [ -s "$apt/sources.list" ] && found=1
    fi
    [ "$found" = 1 ] || { say "no apt sources found to copy"; exit 1; }
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list"
                -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                -o "Dir::State::Lists=$apt/lists"
                -o "Dir::Cache=$apt/cache")
    say "fetching the $source_package source"
    apt-get "${opts[@]}" update -qq
    rm -rf "$work/src"
    mkdir -p "$work/src"
    (cd "$work/src" && apt-get "${opts[@]}" source -qq "$source_package" >&2)
    local dir
    dir=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name "qt6-base-*" | head -1)
    [ -n "$dir" ] || { say "the source did not unpack"; exit 1; }
    case "$dir" in
    *"-$qt_version"*) ;;
    *) say "expected $qt_version, got $dir"; exit 1 ;;
    esac
    echo "$dir"
}

# Installs what was built: the install rules of every folder whose targets are all
# built, and those of the folders above them (package files made at configure time).
install_built() {
    local build=$1 script dir
    local -A wanted=([.]=1)
    for dir in "${bundled_dirs[@]}"; do wanted[$dir]=1; done
    while IFS= read -r script; do
        dir=$(dirname "${script#"$build"/}")
        [ "$dir" = . ] && continue
        if ninja -C "$build" -n "$dir/all" 2>/dev/null | grep -q "no work to do"; then
            while [ "$dir" != . ]; do wanted[$dir]=1; dir=$(dirname "$dir"); done
        fi
    done < <(find "$build" -name cmake_install.cmake -not -path "*/CMakeFiles/*")
    for dir in "${!wanted[@]}"; do
        cmake "-DCMAKE_INSTALL_PREFIX=$prefix" -DCMAKE_INSTALL_LOCAL_ONLY=ON \
            -P "$build/$dir/cmake_install.cmake" || { say "installing $dir failed"; return 1; }
    done
}

# An interrupted build goes on where it stopped, as long as it was configured
# the same way.
if [ ! -f "$work/build/.configured-$configure_key" ]; then
    src=$(fetch_source)
    say "configuring Qt $qt_version for Windows"
    rm -rf "$work/build"
    nice -n 19 cmake -S "$src" -B "$work/build" -G Ninja "-DCMAKE_TOOLCHAIN_FILE=$toolchain" \
        "-DCMAKE_INSTALL_PREFIX=$cache/qt-windows-$qt_version-$configure_key" "${options[@]}" \
        >"$work/configure.log" 2>&1 || { tail -40 "$work/configure.log" >&2; exit 1; }
    touch "$work/build/.configured-$configure_key"
fi
say "building Qt (40 to 50 minutes on two cores the first time)"
start=$(date +%s)
nice -n 19 cmake --build "$work/build" --parallel "$(nproc)" \
    --target "${targets[@]}" "${bundled_targets[@]}" \
    >>"$work/build.log" 2>&1 || { tail -60 "$work/build.log" >&2; exit 1; }
rm -rf "$prefix"
install_built "$work/build" >"$work/install.log" 2>&1 ||
    { tail -40 "$work/install.log" >&2; exit 1; }
# A package file the game's configure will ask for, checked before the tree is
# marked complete and the build thrown away.
for module in Core ZlibPrivate Gui HarfbuzzPrivate FreetypePrivate PngPrivate Widgets Network Test; do
    [ -s "$prefix/lib/cmake/Qt6$module/Qt6${module}Config.cmake" ] ||
        { say "the installed Qt lacks Qt6$module; the build stays in $work/build"; exit 1; }
done
say "Qt built and installed in $(( $(date +%s) - start )) s"
touch "$prefix/.complete"
# The build tree is large and is never needed again once Qt is installed.
rm -rf "$work/build" "$work/src"
echo "$prefix"
