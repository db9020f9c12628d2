# What `cmake --install` puts under the prefix, and the Debian package made from the same rules
# (scripts/build-deb.sh). Only the files named here are installed: nothing the build or the tests
# write lands in the installed tree.

set(CORVANE_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
# The program finds its ReadMe here, and takes this folder beside its bin folder as the sign
# that it is installed (its settings then go to the user's configuration folder).
set(CORVANE_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/corvane)

install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS corvane_window LIBRARY DESTINATION ${CORVANE_MODULEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/ReadMe.txt
        DESTINATION ${CORVANE_DOCDIR})
install(FILES ${CORVANE_PACKAGING}/corvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CORVANE_PACKAGING}/corvane.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CORVANE_PACKAGING}/icons/${size}x${size}/corvane.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CORVANE_PACKAGING}/corvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "side-by-side comparison of files, folders, documents and workbooks")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane shows two sources side by side and colours their differences: texts in six\
 encodings detected automatically, binary files as hex rows, folders entry by entry,\
 word-processor documents, web pages and workbooks cell by cell. Japanese user interface;\
 batch reports in HTML, CSV and xlsx.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolbar icons need the SVG image plugin; Japanese glyphs and Qt's own Japanese texts
# are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
include(CPack)
