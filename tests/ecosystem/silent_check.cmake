# Runs a checking tool and fails when it exits non-zero or prints anything at all, on either
# stream: used for the manual page, where any warning is a failure.
# Usage: cmake -DTOOL=program "-DARGS=a;b;c" -P silent_check.cmake
execute_process(COMMAND "${TOOL}" ${ARGS}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "" OR NOT err STREQUAL "")
  message(FATAL_ERROR "${TOOL} ${ARGS}: exit status ${status}\n${out}${err}")
endif()
