# Cross-compiles listconv for 32-bit Windows with the MinGW-w64 i686 tools:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The posix thread model is preferred: the program starts no threads, but
# GoogleTest, cross-built for the unit tests, needs std::mutex, which the
# win32 model of this compiler lacks. The top CMakeLists links the C and C++
# runtimes (winpthread included) statically, so listconv.exe needs no DLL
# beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(LISTCONV_MINGW_TARGET i686-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-gcc-posix ${LISTCONV_MINGW_TARGET}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-g++-posix ${LISTCONV_MINGW_TARGET}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-windres)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "${LISTCONV_MINGW_TARGET}-g++ not found (Debian: g++-mingw-w64-i686)")
endif()

# Headers and libraries come from the cross environment only; build tools
# still come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${LISTCONV_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The shipped program carries no symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
