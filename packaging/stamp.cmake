# Run by CPack once the files are staged, before it packs them
# (CPACK_PRE_BUILD_SCRIPTS): every staged file and folder takes
# SOURCE_DATE_EPOCH's time, whenever it was checked out or built. rpmbuild
# keeps the times it finds; the .deb's members get that time anyway.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  file(GLOB_RECURSE paths LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
  execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} ${paths} COMMAND_ERROR_IS_FATAL ANY)
endif()
