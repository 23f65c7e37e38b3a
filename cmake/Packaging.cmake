# Installed layout and the Debian package.
include(GNUInstallDirs)

configure_file(${PROJECT_SOURCE_DIR}/app/tickora.desktop.in
               ${PROJECT_BINARY_DIR}/${TICKORA_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/app/tickora.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml @ONLY)
# The manual page's footer names the version the program answers --version with.
configure_file(${PROJECT_SOURCE_DIR}/app/tickora.1.in ${PROJECT_BINARY_DIR}/tickora.1 @ONLY)

# The licence in Debian's machine-readable copyright format: its text indented one blank, an
# empty line as " .".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" licence "${licence}")
file(WRITE ${PROJECT_BINARY_DIR}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: ${PROJECT_NAME}\nSource: ${TICKORA_AUTHOR_URL}\n\n"
     "Files: *\nCopyright: 2026 ${TICKORA_AUTHOR_NAME}\nLicense: MIT\n ${licence}")

install(TARGETS tickora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tickora)
install(FILES ${PROJECT_BINARY_DIR}/${TICKORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/${TICKORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/ui/icons/tickora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TICKORA_APP_ID}.svg)
# The command line's manual page and bash completion.
install(FILES ${PROJECT_BINARY_DIR}/tickora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/app/tickora.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tickora)

set(CPACK_PACKAGE_NAME "tickora")
set(CPACK_PACKAGE_VENDOR "${TICKORA_MAKER_LABEL}")
set(CPACK_PACKAGE_CONTACT "${TICKORA_AUTHOR_NAME} <tickora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "8051 timer initial-value calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Computes the initial value of an 8051-family timer from the crystal frequency, the\ninterval and the timer mode, with the longest interval, the machine-cycle time and the\nrounding error. Simplified Chinese interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TICKORA_AUTHOR_URL}")
# Libraries the program links come from dpkg-shlibdeps; what Qt loads as plugins, and the fonts
# the fixed layout is measured in, do not show up there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-arphic-uming, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
