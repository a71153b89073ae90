# Installs the build into a fresh prefix with cmake --install, checks that exactly the
# interpreter and its files arrive (no test program) and that the example scripts are
# executable and their output files not, then runs every installed example
# with the installed binary (through EMULATOR, if given, for a cross build) and compares its
# output with the installed .out file.
# Usage: cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DWORK_DIR=... [-DEMULATOR=...] -P install_check.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${log}")
endif()

include("${CMAKE_CURRENT_LIST_DIR}/installed_files.cmake")
file(GLOB_RECURSE found RELATIVE "${prefix}" "${prefix}/*")
set(expected ${ULVANE_INSTALLED_FILES})
list(TRANSFORM expected REPLACE "^share/man/man1/ulvane.1.gz$" "share/man/man1/ulvane.1")
list(TRANSFORM expected REPLACE "^share/doc/ulvane/changelog.gz$" "share/doc/ulvane/CHANGELOG.md")
list(REMOVE_ITEM expected share/doc/ulvane/changelog.Debian.gz)
expect_installed_files("installed files differ" found "${expected}")
execute_process(COMMAND ls -l "${prefix}/share/doc/ulvane/examples" OUTPUT_VARIABLE listing)
expect_example_modes("ls -l share/doc/ulvane/examples" "${listing}")

file(GLOB examples "${prefix}/share/doc/ulvane/examples/*.ulv")
list(LENGTH examples count)
if(count LESS 5)
  message(FATAL_ERROR "only ${count} examples installed")
endif()
foreach(script ${examples})
  string(REGEX REPLACE "\\.ulv$" ".out" expected_out "${script}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DULVANE=${prefix}/bin/ulvane "-DEMULATOR=${EMULATOR}"
    -DSCRIPT=${script} -DEXPECTED=${expected_out}
    -P "${CMAKE_CURRENT_LIST_DIR}/run_example.cmake" RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installed example fails:\n${err}")
  endif()
endforeach()
