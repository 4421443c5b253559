# Run by cpack once the files are staged, before the package is made (and before
# the executable's debugging symbols move to their own package): the compiler's
# version notes in .comment are of no use in an installed program.
find_program(OBJCOPY objcopy REQUIRED)
set(program "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/lib/goalvanta/goalvanta")
if(EXISTS "${program}")
    execute_process(COMMAND "${OBJCOPY}" --remove-section=.comment "${program}"
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
