# Writes a text that says what the exit codes mean, from its template: the
# lines that MEANINGS prints (with ARGS) go in place of @CASES@, and
# PROGRAM_DIR and VERSION are filled in. CRLF=ON writes Windows line ends;
# EXECUTABLE=ON makes the result runnable.
separate_arguments(ARGS)
execute_process(COMMAND ${MEANINGS} ${ARGS} OUTPUT_VARIABLE CASES RESULT_VARIABLE failed)
if(failed OR NOT CASES)
  message(FATAL_ERROR "${MEANINGS} ${ARGS} printed no exit codes")
endif()
string(REGEX REPLACE "\n$" "" CASES "${CASES}")
file(READ ${TEMPLATE} text)
string(CONFIGURE "${text}" text @ONLY)
if(CRLF)
  # Every line, the printed ones too.
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE ${OUT} "${text}")
if(EXECUTABLE)
  file(CHMOD ${OUT} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
