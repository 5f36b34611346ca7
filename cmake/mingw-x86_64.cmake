# Cross-compiles listconv for 64-bit Windows with the MinGW-w64 x86_64 tools,
# for machines that cannot run 32-bit programs (and so not 32-bit Wine): the
# same program and tests, run under 64-bit Wine.
#   cmake -S . -B build-windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LISTCONV_MINGW_TARGET x86_64-w64-mingw32)
set(LISTCONV_MINGW_PACKAGE g++-mingw-w64-x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
