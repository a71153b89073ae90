# Builds the web playground: the interpreter compiled to WebAssembly by emscripten in
# BINARY_DIR/web-wasm, then the page assembled in BINARY_DIR/web.
# Run by the `web` target: cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P web/build_web.cmake
cmake_minimum_required(VERSION 3.20)

set(wasm_dir "${BINARY_DIR}/web-wasm")
set(page_dir "${BINARY_DIR}/web")

find_program(EMCMAKE emcmake)
find_program(NODE NAMES node nodejs)
if(NOT EMCMAKE OR NOT NODE)
  message(FATAL_ERROR "The web playground needs emscripten and Node.js: "
                      "apt-get install emscripten node-acorn nodejs")
endif()

# Debian's emscripten runs its JavaScript optimizer under Node.js, which must find the
# acorn parser that Debian's node-acorn package installs outside Node's own search path.
if(NOT DEFINED ENV{NODE_PATH})
  foreach(dir /usr/share/nodejs /usr/lib/nodejs)
    if(EXISTS "${dir}/acorn/package.json")
      set(ENV{NODE_PATH} "${dir}")
      break()
    endif()
  endforeach()
endif()

# Configured on every build, so that a build folder from before an option was added gets it.
# ULVANE_TRACE compiles in the recording behind the page's Step button. The sources are
# compiled as one unit, so that the statements' loops can inline the evaluator's entries as a
# link-time optimizer would. Emscripten's link-time optimization does not link here: calls into
# its C library then cross the two calling conventions (see CMakeLists.txt).
execute_process(
  COMMAND "${EMCMAKE}" "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${wasm_dir}"
          -DULVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DULVANE_TRACE=ON -DCMAKE_UNITY_BUILD=ON
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND "${CMAKE_COMMAND}" --build "${wasm_dir}" --target ulvane --parallel 2
  COMMAND_ERROR_IS_FATAL ANY)

# The examples menu is built here, at build time, from whatever examples/*.ulv holds now.
execute_process(
  COMMAND "${NODE}" "${SOURCE_DIR}/web/tools/assemble.mjs"
          "${SOURCE_DIR}" "${wasm_dir}" "${page_dir}"
  COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Web playground: ${page_dir}/index.html")
