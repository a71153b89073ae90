# Runs one example script and compares its standard output byte for byte with the
# example's .out file; standard error must stay empty and the exit status be 0.
# Usage: cmake -DULVANE=... -DSCRIPT=... -DEXPECTED=... -P run_example.cmake
execute_process(COMMAND "${ULVANE}" "${SCRIPT}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "${SCRIPT}: output differs from ${EXPECTED}\n--- printed:\n${out}--- expected:\n${expected}")
endif()
if(NOT err STREQUAL "" OR NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT}: exit status ${status}, standard error:\n${err}")
endif()
