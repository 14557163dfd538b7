# TolvexStripPackage.cmake - run by CPack before it packs: strips the programs of the sections
# a plain strip keeps (.comment, .note), as Debian's own packaging tools do.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${program}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
