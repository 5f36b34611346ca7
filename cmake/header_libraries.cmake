# Options are read with CLI11 and JSON written with nlohmann-json, Debian's
# header-only libcli11-dev and nlohmann-json3-dev. A cross build must not
# search the build machine's /usr/include, so it is given a folder of links
# to these two libraries' headers alone. Sets LISTCONV_CLI11_INCLUDE_DIRS and
# LISTCONV_JSON_INCLUDE_DIRS.
find_path(LISTCONV_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
find_path(LISTCONV_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT LISTCONV_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11 not found (Debian: libcli11-dev)")
endif()
if(NOT LISTCONV_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann-json not found (Debian: nlohmann-json3-dev)")
endif()
if(CMAKE_CROSSCOMPILING)
  set(LISTCONV_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${LISTCONV_HOST_HEADERS})
  file(CREATE_LINK ${LISTCONV_CLI11_INCLUDE}/CLI ${LISTCONV_HOST_HEADERS}/CLI SYMBOLIC)
  file(CREATE_LINK ${LISTCONV_JSON_INCLUDE}/nlohmann ${LISTCONV_HOST_HEADERS}/nlohmann SYMBOLIC)
  set(LISTCONV_CLI11_INCLUDE_DIRS ${LISTCONV_HOST_HEADERS})
  set(LISTCONV_JSON_INCLUDE_DIRS ${LISTCONV_HOST_HEADERS})
else()
  set(LISTCONV_CLI11_INCLUDE_DIRS ${LISTCONV_CLI11_INCLUDE})
  set(LISTCONV_JSON_INCLUDE_DIRS ${LISTCONV_JSON_INCLUDE})
endif()
