# Runs the instrumented interpreter on each training script; a script that fails would
# leave the profile short of its steady state, so it stops the build.
foreach(script ${SCRIPTS})
  execute_process(COMMAND ${ULVANE} ${script} RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "training script ${script} ended with status ${status}")
  endif()
endforeach()
