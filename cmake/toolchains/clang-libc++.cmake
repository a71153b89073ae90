# clang with LLVM's C++ library, libc++ (macOS's), on this machine: Debian's clang,
# libc++-14-dev and libc++abi-14-dev (cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/clang-libc++.cmake).
find_program(CMAKE_CXX_COMPILER NAMES clang++-14 clang++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES clang-14 clang REQUIRED)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
