# `cmake --install` (any prefix) and the Debian package: the program, its desktop entry, its
# icon in the hicolor theme, its manual page and the README.
include(GNUInstallDirs)

install(TARGETS tavlin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/tavlin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tavlin.png)
endforeach()

# The manual page carries the build's version and is installed compressed, as man expects.
configure_file(${PROJECT_SOURCE_DIR}/docs/tavlin.1 ${PROJECT_BINARY_DIR}/man/tavlin.1 @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/tavlin.1.gz
    COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/man/tavlin.1
    DEPENDS ${PROJECT_BINARY_DIR}/man/tavlin.1
    COMMENT "Compressing the manual page")
add_custom_target(tavlin_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/man/tavlin.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/man/tavlin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(TAVLIN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tavlin)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TAVLIN_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/window.png ${PROJECT_SOURCE_DIR}/docs/listing.png
        DESTINATION ${TAVLIN_DOC_DIR}/docs)

# `cpack -G DEB` in a release build folder makes tavlin_VERSION_ARCH.deb.
set(CPACK_PACKAGE_NAME tavlin)
set(CPACK_PACKAGE_VENDOR "Tavlin")
set(CPACK_PACKAGE_CONTACT "Tavlin developers <tavlin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bookmark export lister and HTML viewer")
set(CPACK_PACKAGE_DESCRIPTION "Tavlin turns a web browser's bookmark export (a Netscape bookmark file) or an
MSIE Favorites folder into a clean listing of titles and actual web addresses,
and shows it in its own HTML viewer, from which it can be printed, saved or
copied as plain text. It also converts, renders and exports text from the
command line.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tavlin)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the program's links (Qt 6, libjpeg-turbo, the C++ runtime); the fonts
# it asks for by name ("Times New Roman", "Arial", "Courier New") are found through fontconfig.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fontconfig")
# A small CJK-capable face for the characters the named faces lack.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
include(CPack)
