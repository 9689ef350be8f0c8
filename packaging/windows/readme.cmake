# Writes the Windows zip's README.txt from its template: the exit codes that
# MEANINGS prints as text go in place of @CASES@, the version in place of
# @VERSION@, and every line, the printed ones too, ends CR LF.
execute_process(COMMAND ${MEANINGS} --text OUTPUT_VARIABLE CASES RESULT_VARIABLE failed)
if(failed OR NOT CASES)
  message(FATAL_ERROR "${MEANINGS} --text printed no exit codes")
endif()
string(REGEX REPLACE "\n$" "" CASES "${CASES}")
file(READ ${TEMPLATE} text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
