# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the installed tree before it packs the DEB: strips the
# program the way Debian strips its own packages (dh_strip), symbols and the .comment and .note
# sections alike; CPack's own stripping leaves the compiler and C library idents in .comment.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/lib/vistrel/vistrel")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_VISTREL_STRIP} --remove-section=.comment --remove-section=.note
                          --strip-unneeded ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
