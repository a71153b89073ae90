# Builds the release artifacts, each in a build of its own below RELEASE_DIR, and copies
# them there:
#   ulvane_4.0.0-1_amd64.deb           the native build, for Debian and Ubuntu
#   ulvane-4.0.0-linux-x86_64.tar.gz   the statically linked build, for any x86-64 Linux
#   ulvane-4.0.0-windows-x86_64.zip    the MinGW-w64 build (cmake/toolchains/mingw-w64.cmake)
# With TESTS on, the Linux builds compile their tests too, so that CI runs them on the very
# binaries it packs; the Windows build's are compiled by a Linux build (.ci/platforms.sh).
# Usage: cmake [-DRELEASE_DIR=build-release] [-DTESTS=ON] -P cmake/release.cmake
get_filename_component(source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT RELEASE_DIR)
  set(RELEASE_DIR build-release)
endif()
get_filename_component(release_dir "${RELEASE_DIR}" ABSOLUTE)
if(NOT TESTS)
  set(TESTS OFF)
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

# name, then the build's own configure options
function(release name)
  set(build "${release_dir}/${name}")
  message(STATUS "Building ${build}")
  run(${CMAKE_COMMAND} -S "${source_dir}" -B "${build}" -DULVANE_TESTS=${TESTS} ${ARGN})
  run(${CMAKE_COMMAND} --build "${build}" -j 2)
  file(REMOVE_RECURSE "${build}/package")
  run(${CMAKE_CPACK_COMMAND} --config "${build}/CPackConfig.cmake" -B "${build}/package")
  file(GLOB artifacts "${build}/package/*.deb" "${build}/package/*.tar.gz" "${build}/package/*.zip")
  file(COPY ${artifacts} DESTINATION "${release_dir}")
  foreach(artifact ${artifacts})
    get_filename_component(artifact_name "${artifact}" NAME)
    message(STATUS "Made ${release_dir}/${artifact_name}")
  endforeach()
endfunction()

release(debian)
release(linux-static -DULVANE_STATIC=ON)
release(windows -DCMAKE_TOOLCHAIN_FILE=${source_dir}/cmake/toolchains/mingw-w64.cmake -DULVANE_TESTS=OFF)
