# What `cmake --install` puts beside the two programs (their own install rules are in src/cli
# and src/ui), and the Debian package that `cpack -G DEB` (make package) builds from it.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/resources/tutorial/index.html
              ${PROJECT_SOURCE_DIR}/resources/tutorial/help.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sitegauge/tutorial)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/sitegauge.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/sitegauge.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sitegauge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check web sites for search engines and compare them with competitors")
# One paragraph: CPack indents each line of it for the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Sitegauge fetches a web site's pages and writes HTML reports: search engine readiness of\ntitles and meta tags, broken links, link popularity and the positions of the site on search\nengines for its keywords. A Qt desktop program and a command-line program.")
set(CPACK_PACKAGE_CONTACT "Sitegauge developers <sitegauge@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
# The libraries the programs link (Qt, the C++ runtime) become Depends, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugin at run time, out of dpkg-shlibdeps' sight; without it the
# desktop program cannot start.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Reports and the tutorial are opened with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
