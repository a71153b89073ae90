# Profile-guided optimization with GCC. An instrumented copy of the interpreter runs the
# training scripts in pgo/, which record how often each branch and call is taken; the
# interpreter is then compiled with that profile, so the compiler lays out the paths that
# loops take every pass as straight-line code and keeps their values in registers. The
# training scripts are long-running loops, so the profile reflects a script's steady state
# rather than its start-up. On for the GCC release builds CMakeLists.txt names, except when
# cross-compiling (the training must run on the build machine).
if(ulvane_gcc_release AND NOT CMAKE_CROSSCOMPILING)
  set(ulvane_pgo_default ON)
else()
  set(ulvane_pgo_default OFF)
endif()
option(ULVANE_PGO "Compile the interpreter with a profile of the training scripts (GCC)"
       ${ulvane_pgo_default})

if(ULVANE_PGO)
  set(pgo_dir ${CMAKE_BINARY_DIR}/pgo)
  # Ordinary scripts of several kinds (counting, calendar arithmetic, a ledger that prints,
  # a float simulation); none of the benchmark programs, so their figures measure code
  # the profile did not see.
  file(GLOB pgo_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/pgo/*.ulv)
  # A new profile does not by itself make the build recompile what uses it; a digest of the
  # training scripts among the compile options does, when they change (an edit reconfigures).
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pgo_scripts})
  set(pgo_digest "")
  foreach(script ${pgo_scripts})
    file(SHA256 ${script} script_digest)
    string(APPEND pgo_digest ${script_digest})
  endforeach()
  string(SHA256 pgo_digest "${pgo_digest}")
  string(SUBSTRING ${pgo_digest} 0 16 pgo_digest)

  # Profile files are named after each object file's path; with the target's object
  # directory removed from it, the instrumented and the final objects of one source file
  # share a name.
  function(ulvane_profile_prefix target)
    target_compile_options(${target} PRIVATE
      -fprofile-prefix-path=${CMAKE_BINARY_DIR}/CMakeFiles/${target}.dir)
  endfunction()

  add_executable(ulvane_instrumented ${ulvane_core_sources} src/driver/main.cpp)
  target_include_directories(ulvane_instrumented PRIVATE src)
  target_compile_options(ulvane_instrumented PRIVATE
    -fprofile-generate=${pgo_dir} -fprofile-update=single --param=profile-func-internal-id=1)
  target_link_options(ulvane_instrumented PRIVATE -fprofile-generate=${pgo_dir})
  ulvane_profile_prefix(ulvane_instrumented)

  # A fresh profile on every training run: counts from an older build would not match.
  add_custom_command(
    OUTPUT ${pgo_dir}/trained
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${pgo_dir}
    COMMAND ${CMAKE_COMMAND} -DULVANE=$<TARGET_FILE:ulvane_instrumented>
            "-DSCRIPTS=${pgo_scripts}" -P ${CMAKE_SOURCE_DIR}/cmake/train.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${pgo_dir}/trained
    DEPENDS ulvane_instrumented ${pgo_scripts} ${CMAKE_SOURCE_DIR}/cmake/train.cmake
    COMMENT "Recording the interpreter's profile on the training scripts"
    VERBATIM)
  add_custom_target(ulvane_profile DEPENDS ${pgo_dir}/trained)

  foreach(target ulvane_core ulvane)
    add_dependencies(${target} ulvane_profile)
    target_compile_options(${target} PRIVATE -fprofile-use=${pgo_dir} -fprofile-partial-training
      --param=profile-func-internal-id=1)
    target_compile_definitions(${target} PRIVATE ULVANE_TRAINING_DIGEST=${pgo_digest})
    ulvane_profile_prefix(${target})
  endforeach()
endif()
