# What an installation and the packages hold besides the two programs, and
# the packages themselves: a Debian package of a native build, a zip of a
# Windows one (cpack in the build folder; make package, make package-windows).

if(WIN32)
  # The zip's name, which is also the one folder it unpacks to (the read-me
  # names it).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(LISTCONV_ZIP_NAME listconv-${PROJECT_VERSION}-win32)
  else()
    set(LISTCONV_ZIP_NAME listconv-${PROJECT_VERSION}-win64)
  endif()
  # Making the zip builds nothing: make package-windows has built the two
  # programs and the page, and the unit tests cross-built beside them are not
  # shipped.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  # The zip: the programs, the page that converts in a browser, a read-me in
  # CR LF for a Windows user, and the sample data to try them on. The page
  # comes from the emscripten build (make web); a zip without it is not made.
  set(LISTCONV_WEB_PAGE ${PROJECT_SOURCE_DIR}/build-web/listconv.html CACHE FILEPATH
    "The page make web builds, for the zip")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in
                 ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
  install(CODE "if(NOT EXISTS \"${LISTCONV_WEB_PAGE}\")
    message(FATAL_ERROR \"${LISTCONV_WEB_PAGE} is missing: the zip holds the page, which \"
      \"make web builds with emscripten (make package-windows builds it first)\")
  endif()")
  install(FILES ${LISTCONV_WEB_PAGE} DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/sample/kanjis.dat ${PROJECT_SOURCE_DIR}/sample/words.txt
                ${PROJECT_SOURCE_DIR}/sample/list.rec DESTINATION sample)
else()
  include(GNUInstallDirs)
  # Manual pages are installed compressed, as Debian keeps them.
  set(LISTCONV_MAN_PAGES)
  foreach(page listconv.1 listconv-export.1 listconv-import.1)
    set(packed ${PROJECT_BINARY_DIR}/doc/${page}.gz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/doc/${page} ${PROJECT_BINARY_DIR}/doc/${page}
      COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/doc/${page}
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/${page}
      VERBATIM)
    list(APPEND LISTCONV_MAN_PAGES ${packed})
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${LISTCONV_MAN_PAGES})
  install(FILES ${LISTCONV_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  foreach(program listconv-export listconv-import)
    install(FILES ${PROJECT_SOURCE_DIR}/doc/${program}.bash
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME ${program})
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME listconv)
set(CPACK_PACKAGE_VENDOR "The listconv developers")
set(CPACK_PACKAGE_CONTACT "The listconv developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "listing converter: binary listing records to a kanji text listing, CSV or HTML")
set(CPACK_PACKAGE_DESCRIPTION
    "listconv turns the records of kanjis.dat, words.txt and list.rec into a text listing, \
list.txt, writing every name and word in kanji. listconv-export writes the same records \
as CSV, JSON Lines, a report of what the data lacks, or a self-contained HTML catalogue; \
listconv-import writes list.rec and words.txt back from its records and dictionary exports.")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${LISTCONV_ZIP_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The dependencies are read from the programs (none when they are linked
  # statically, as Release builds on Debian are).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # listconv-export's completion is loaded by bash-completion, which not every
  # system has installed.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
endif()
include(CPack)
