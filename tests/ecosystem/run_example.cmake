# Runs one example script and compares its standard output byte for byte with the
# example's .out file; standard error must stay empty and the exit status be 0. EMULATOR,
# if given, is the command that runs ULVANE; with TEXT_MODE on, every line ends in CR LF.
# Usage: cmake -DULVANE=... -DSCRIPT=... -DEXPECTED=... [-DEMULATOR=...] [-DTEXT_MODE=ON]
#        -P run_example.cmake

# The bytes of a file as hexadecimal pairs, each followed by a blank: both OUTPUT_VARIABLE
# and a plain file(READ) drop the CR of a CR LF.
function(read_bytes path variable)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  set(${variable} "${bytes}" PARENT_SCOPE)
endfunction()

# The output goes to a file named after the script's path, so examples run at the same time
# from other folders write other files.
string(MD5 id "${SCRIPT}")
set(printed "${CMAKE_CURRENT_BINARY_DIR}/example-${id}.out")
execute_process(COMMAND ${EMULATOR} "${ULVANE}" "${SCRIPT}"
  OUTPUT_FILE "${printed}" ERROR_VARIABLE err RESULT_VARIABLE status)
read_bytes("${printed}" out)
file(READ "${printed}" shown)
file(REMOVE "${printed}")
read_bytes("${EXPECTED}" expected)
if(TEXT_MODE)
  string(REPLACE "0a " "0d 0a " expected "${expected}")
endif()
if(NOT out STREQUAL expected)
  file(READ "${EXPECTED}" expected_text)
  message(FATAL_ERROR "${SCRIPT}: output differs from ${EXPECTED}\n--- printed:\n${shown}"
                      "--- expected:\n${expected_text}--- printed bytes:\n${out}\n--- expected bytes:\n${expected}")
endif()
if(NOT err STREQUAL "" OR NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT}: exit status ${status}, standard error:\n${err}")
endif()
