# Fails when a source of listconv_core sees a header of the rest of the text
# library, directly or through other headers: the record path is to find only
# its own text operations, so that calling one of the others is a compile
# error rather than a link error of listconv.
#
# cmake -DCXX=compiler -DSOURCE_DIR=top -DSOURCES=a.cpp|b.cpp|... -DDEFINES=A=1|B|...
#   -P core_text_headers.cmake
cmake_policy(VERSION 3.20)
string(REPLACE "|" ";" SOURCES "${SOURCES}")
string(REPLACE "|" ";" DEFINES "${DEFINES}")
list(TRANSFORM DEFINES PREPEND -D)
# The headers of src/textutil/ that belong to listconv_core.
set(CORE_TEXT_HEADERS core.h replace_engine.h text_bytes.h)

set(FAILED FALSE)
foreach(source IN LISTS SOURCES)
  if(NOT IS_ABSOLUTE "${source}")
    set(source "${SOURCE_DIR}/${source}")
  endif()
  # The headers the source includes, ours only (-MM leaves out the system's).
  execute_process(
    COMMAND "${CXX}" -std=c++17 ${DEFINES} "-I${SOURCE_DIR}/src" -MM "${source}"
    OUTPUT_VARIABLE deps ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "cannot list the headers of ${source}:\n${errors}")
    set(FAILED TRUE)
    continue()
  endif()
  string(REGEX MATCHALL "textutil/[A-Za-z0-9_]+\\.h" seen "${deps}")
  list(REMOVE_DUPLICATES seen)
  foreach(header IN LISTS seen)
    get_filename_component(name "${header}" NAME)
    if(NOT name IN_LIST CORE_TEXT_HEADERS)
      message(SEND_ERROR "${source} sees ${header}, which is not part of listconv_core")
      set(FAILED TRUE)
    endif()
  endforeach()
endforeach()
if(FAILED)
  message(FATAL_ERROR "listconv_core sees text operations it does not link")
endif()
