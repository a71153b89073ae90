# Builds the Debian package with cpack, checks its control fields and its file list, then
# unpacks it with dpkg -x and runs an example with the unpacked binary.
# Usage: cmake -DCPACK=... -DSOURCE_DIR=... -DBUILD_DIR=... -DWORK_DIR=... -P deb_check.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB debs "${WORK_DIR}/ulvane_4.0.0-*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one ulvane_4.0.0-*.deb, found: ${debs}\n${log}")
endif()

function(run_or_fail output_variable)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${status}):\n${out}${err}")
  endif()
  set(${output_variable} "${out}" PARENT_SCOPE)
endfunction()

run_or_fail(info dpkg-deb --info "${debs}")
foreach(field "Package: ulvane" "Version: 4.0.0-1" "Architecture: amd64" "Maintainer: "
              "Section: interpreters" "Depends: [^\n]*libc6" "Description: interpreter for the")
  if(NOT info MATCHES "\n ${field}")
    message(FATAL_ERROR "dpkg-deb --info lacks \"${field}\":\n${info}")
  endif()
endforeach()

# Every listed file, without the directories and the details before each path.
run_or_fail(contents dpkg-deb --contents "${debs}")
string(REGEX MATCHALL "\\./usr/[^\n]*[^/\n]\n" listed "${contents}")
list(TRANSFORM listed REPLACE "^\\./usr/(.*)\n$" "\\1")
include("${CMAKE_CURRENT_LIST_DIR}/installed_files.cmake")
expect_installed_files("dpkg-deb --contents lists other files" listed "${ULVANE_INSTALLED_FILES}")
string(REGEX MATCHALL "[^\n]*/doc/ulvane/examples/[^\n]*\n" example_lines "${contents}")
expect_example_modes("dpkg-deb --contents" "${example_lines}")

set(root "${WORK_DIR}/root")
run_or_fail(ignored dpkg -x "${debs}" "${root}")

# The copyright file is machine-readable, names the copyright holder and carries the whole
# license: its License paragraph, unindented, is LICENSE below the copyright line.
file(READ "${root}/usr/share/doc/ulvane/copyright" copyright)
file(READ "${SOURCE_DIR}/LICENSE" license)
string(REGEX REPLACE "^.*\n\nLicense: Expat" "" license_paragraph "${copyright}")
string(REPLACE "\n .\n" "\n\n" license_paragraph "${license_paragraph}")
string(REPLACE "\n " "\n" license_paragraph "${license_paragraph}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" license_terms "${license}")
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
   OR NOT copyright MATCHES "\nFiles: \\*\nCopyright: 2026 The ulvane developers\nLicense: Expat\n"
   OR NOT license_paragraph STREQUAL "\n${license_terms}")
  message(FATAL_ERROR "usr/share/doc/ulvane/copyright is not LICENSE in Debian's format:\n${copyright}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -DULVANE=${root}/usr/bin/ulvane
  -DSCRIPT=${root}/usr/share/doc/ulvane/examples/fizzbuzz.ulv
  -DEXPECTED=${root}/usr/share/doc/ulvane/examples/fizzbuzz.out
  -P "${CMAKE_CURRENT_LIST_DIR}/run_example.cmake" RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the unpacked binary fails its example:\n${err}")
endif()
