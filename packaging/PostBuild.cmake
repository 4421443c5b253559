# Run by cpack on each package it has made, to give it what dpkg-deb and the
# Debian helpers would have:
# - Installed-Size by dpkg's own measure (every regular file rounded up to whole
#   KiB, one KiB for every folder and link); CPack counts the program a second time
#   through the link to it.
# - md5sums of the files as they lie in the package; CPack's list for the
#   debugging symbols names them by their path in its staging folder.
# - For the debugging symbols, as Debian's own have it: the game's documentation
#   folder (copyright and changelog, which cover them too) through a link, and the
#   game named as their source, so that tools see the two packages as one build;
#   the symbol files are data, not programs.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.d?deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND "${DPKG_DEB}" --raw-extract "${package}" "${tree}"
                    COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX MATCH "\nPackage: ([^\n]+)" _ "\n${control}")
    set(name "${CMAKE_MATCH_1}")

    if(name MATCHES "^(.+)-dbgsym$")
        set(game "${CMAKE_MATCH_1}")
        file(MAKE_DIRECTORY "${tree}/usr/share/doc")
        file(CREATE_LINK "${game}" "${tree}/usr/share/doc/${name}" SYMBOLIC)
        file(GLOB_RECURSE symbols "${tree}/usr/lib/debug/*.debug")
        foreach(symbol IN LISTS symbols)
            file(CHMOD "${symbol}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        endforeach()
        if(NOT control MATCHES "\nSource: ")
            string(REPLACE "\nPackage: ${name}\n" "\nPackage: ${name}\nSource: ${game}\n"
                           control "\n${control}")
            string(SUBSTRING "${control}" 1 -1 control)
        endif()
    endif()

    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
    list(SORT entries)
    set(kib 0)
    set(sums "")
    foreach(entry IN LISTS entries)
        if(entry MATCHES "^DEBIAN(/|$)")
            continue()
        endif()
        if(IS_SYMLINK "${tree}/${entry}" OR IS_DIRECTORY "${tree}/${entry}")
            math(EXPR kib "${kib} + 1")
        else()
            file(SIZE "${tree}/${entry}" bytes)
            math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
            file(MD5 "${tree}/${entry}" sum)
            string(APPEND sums "${sum}  ${entry}\n")
        endif()
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control
                         "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    execute_process(COMMAND "${DPKG_DEB}" --root-owner-group --build "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
