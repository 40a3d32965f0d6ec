# Writes one add_test per test function of a QtTest executable.
# In: EXE (the executable), NAME (its test name prefix), OUT (the file to write).
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          ${EXE} -functions
  OUTPUT_VARIABLE listing
  ERROR_QUIET
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXE} -functions failed: ${result}")
endif()

string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
set(script "")
foreach(function ${functions})
  string(REPLACE "()" "" function ${function})
  string(APPEND script
    "add_test(${NAME}.${function} \"${EXE}\" ${function})\n"
    "set_tests_properties(${NAME}.${function} PROPERTIES ENVIRONMENT \"\${TESSEL_TEST_ENV}\" TIMEOUT 600)\n")
endforeach()
file(WRITE ${OUT} "${script}")
