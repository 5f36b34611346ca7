# Links a program statically: on Windows always, so that the zip's programs
# need no MinGW libraries beside them; elsewhere in a Release build where the
# system offers static libraries, so that it starts without loading or
# binding the shared C and C++ libraries, which is a noticeable part of a
# short run. Sanitizer and fuzzing builds stay dynamic.
include(CheckCXXSourceCompiles)

function(listconv_link_statically target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  elseif(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT LISTCONV_SANITIZE AND NOT LISTCONV_FUZZ)
    # Asked once; the answer is cached for every program and later runs.
    set(CMAKE_REQUIRED_LINK_OPTIONS -static)
    check_cxx_source_compiles("#include <cstdio>\nint main() { std::puts(\"\"); }"
      LISTCONV_CAN_LINK_STATIC)
    if(LISTCONV_CAN_LINK_STATIC)
      target_link_options(${target} PRIVATE -static)
    endif()
  endif()
endfunction()
