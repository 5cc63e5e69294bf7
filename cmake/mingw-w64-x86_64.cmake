# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# cmake -S tests/win -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_vt_triple x86_64-w64-mingw32)

# Prefer the posix threads variant: it has std::thread and std::mutex.
find_program(CMAKE_C_COMPILER NAMES ${_vt_triple}-gcc-posix ${_vt_triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${_vt_triple}-g++-posix ${_vt_triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${_vt_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_vt_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
