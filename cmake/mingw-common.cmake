# What the MinGW-w64 cross builds share; included by mingw-i686.cmake and
# mingw-x86_64.cmake once they have set CMAKE_SYSTEM_PROCESSOR,
# LISTCONV_MINGW_TARGET and LISTCONV_MINGW_PACKAGE.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-gcc-posix ${LISTCONV_MINGW_TARGET}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-g++-posix ${LISTCONV_MINGW_TARGET}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${LISTCONV_MINGW_TARGET}-windres)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "${LISTCONV_MINGW_TARGET}-g++ not found (Debian: ${LISTCONV_MINGW_PACKAGE})")
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
