# ARM64 Linux from Debian: g++-aarch64-linux-gnu builds, qemu-user runs the result for the
# tests (cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)

find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++ REQUIRED)
# GoogleTest, compiled for the tests, has C sources too.
find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L points qemu at the ARM64 C and C++ libraries, so no binfmt registration is needed.
find_program(ULVANE_QEMU NAMES qemu-aarch64 qemu-aarch64-static NO_CACHE)
if(ULVANE_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ULVANE_QEMU} -L /usr/${triple})
endif()
