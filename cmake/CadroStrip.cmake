# Run by CPack on the staged files before it packs them: strips the programs
# as Debian's own tools do, dropping the sections that only name the compiler.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded
                          ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
