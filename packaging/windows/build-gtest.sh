#!/usr/bin/env bash
# Builds GoogleTest for Windows from Debian's googletest source (/usr/src/googletest)
# with the mingw-w64 toolchain and installs it under ~/.cache/goalvanta, keyed by
# the source's version and the toolchain. Prints the installed folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
toolchain=$root/cmake/mingw-w64.cmake
source=/usr/src/googletest
version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo unknown)
key=$(printf '%s\n' "$version" "$(cat "$toolchain")" | sha256sum | cut -c1-12)
prefix=${GOALVANTA_QT_CACHE:-$HOME/.cache/goalvanta}/gtest-windows-$key

if [ ! -f "$prefix/.complete" ]; then
    echo "build-gtest: building GoogleTest $version for Windows" >&2
    work=$root/build/windows/gtest
    rm -rf "$work" "$prefix"
    # gtest_disable_pthreads: the POSIX-thread mingw has pthread.h, but GoogleTest's
    # Windows code uses the system's own threads and locks.
    nice -n 19 cmake -S "$source" -B "$work" -G Ninja "-DCMAKE_TOOLCHAIN_FILE=$toolchain" \
        -DCMAKE_BUILD_TYPE=Release "-DCMAKE_INSTALL_PREFIX=$prefix" -DBUILD_GMOCK=ON \
        -Dgtest_disable_pthreads=ON >"$root/build/windows/gtest-configure.log" 2>&1 ||
        { tail -30 "$root/build/windows/gtest-configure.log" >&2; exit 1; }
    nice -n 19 cmake --build "$work" >&2
    cmake --install "$work" >/dev/null
    touch "$prefix/.complete"
    rm -rf "$work"
fi
echo "$prefix"
