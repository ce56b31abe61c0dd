# Runs TOOL with ARGS (a ;-list) and checks its exit status (EXPECT_RC) and
# that its standard output matches the regular expression EXPECT.
execute_process(COMMAND ${TOOL} ${ARGS} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL EXPECT_RC)
  message(FATAL_ERROR "exit status ${rc}, expected ${EXPECT_RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "output does not match '${EXPECT}'\nstdout:\n${out}\nstderr:\n${err}")
endif()
