# Writes the launcher from its template: the program's folder and the case
# table that MEANINGS prints.
execute_process(COMMAND ${MEANINGS} OUTPUT_VARIABLE CASES RESULT_VARIABLE failed)
if(failed OR NOT CASES)
  message(FATAL_ERROR "${MEANINGS} printed no case table")
endif()
string(REGEX REPLACE "\n$" "" CASES "${CASES}")
configure_file(${TEMPLATE} ${OUT} @ONLY)
file(CHMOD ${OUT} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
