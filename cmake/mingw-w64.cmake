# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads, so that
# std::thread and std::mutex work as they do on Linux).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GOALVANTA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GOALVANTA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GOALVANTA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GOALVANTA_MINGW_TRIPLE}-windres)

# Headers, libraries and CMake packages come from the target's tree (and the
# prefixes added to CMAKE_FIND_ROOT_PATH), programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${GOALVANTA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
