# Windows x86-64 from Debian: g++-mingw-w64-x86-64 builds ulvane.exe, Wine runs it for the
# tests (cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

# Either thread model does: the interpreter starts no threads.
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-posix ${triple}-g++-win32 ${triple}-g++ REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine64 package alone puts its loader off the PATH; the wine package adds "wine".
find_program(ULVANE_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CACHE)
if(ULVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ULVANE_WINE})
endif()
