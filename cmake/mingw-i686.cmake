# Cross-compiles listconv for 32-bit Windows with the MinGW-w64 i686 tools:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# The posix thread model is preferred: the program starts no threads, but
# GoogleTest, cross-built for the unit tests, needs std::mutex, which the
# win32 model of this compiler lacks. The top CMakeLists links the C and C++
# runtimes (winpthread included) statically, so listconv.exe needs no DLL
# beside it.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LISTCONV_MINGW_TARGET i686-w64-mingw32)
set(LISTCONV_MINGW_PACKAGE g++-mingw-w64-i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
