# Writes the launcher from its template: the program's folder, the version,
# the case table that MEANINGS prints and the option lines of USAGE_TEXT.
execute_process(COMMAND ${MEANINGS} OUTPUT_VARIABLE CASES RESULT_VARIABLE failed)
if(failed OR NOT CASES)
  message(FATAL_ERROR "${MEANINGS} printed no case table")
endif()
string(REGEX REPLACE "\n$" "" CASES "${CASES}")
execute_process(COMMAND ${USAGE_TEXT} help OUTPUT_VARIABLE HELP RESULT_VARIABLE failed)
if(failed OR NOT HELP)
  message(FATAL_ERROR "${USAGE_TEXT} printed no option lines")
endif()
string(REGEX REPLACE "\n$" "" HELP "${HELP}")
configure_file(${TEMPLATE} ${OUT} @ONLY)
file(CHMOD ${OUT} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
