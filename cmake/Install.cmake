# What `cmake --install` puts on a Linux system, and the Debian package made from it with CPack
# (scripts/package.sh):
#   bin/tickvale-pro                     starts the program in ~/.local/share/tickvale
#   lib/tickvale/tickvale, .../help/     the program and the help page it opens beside itself
#   share/applications/tickvale-pro.desktop, share/icons/hicolor/<size>/apps/tickvale-pro.png
# The interface font is inside the program; its licence goes with the documentation.
include(GNUInstallDirs)
# Installing takes what was built (scripts/package.sh builds only the program), not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(TICKVALE_PROGRAM_DIR lib/tickvale)
file(RELATIVE_PATH TICKVALE_PROGRAM_FROM_LAUNCHER /${CMAKE_INSTALL_BINDIR} /${TICKVALE_PROGRAM_DIR}/tickvale)
configure_file(packaging/tickvale-pro.in ${CMAKE_CURRENT_BINARY_DIR}/tickvale-pro @ONLY)

install(TARGETS tickvale RUNTIME DESTINATION ${TICKVALE_PROGRAM_DIR})
install(DIRECTORY resources/help DESTINATION ${TICKVALE_PROGRAM_DIR})
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/tickvale-pro DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/tickvale-pro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(side 16 24 32 48 64 128)
  install(FILES resources/images/icon_${side}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps
          RENAME tickvale-pro.png)
endforeach()
install(FILES resources/fonts/LICENSE-OFL.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tickvale)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tickvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tickvale")
set(CPACK_PACKAGE_CONTACT "Tickvale <support@tickvale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Timed tasks against the computer: shut down, restart, lock, run a program")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tickvale.example/")
# The libraries the program links come from dpkg-shlibdeps; what it loads at run time is named
# here: the SQLite driver of "database.db", the Chinese face for text outside its own font, and
# Qt's Chinese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-sqlite, fonts-noto-cjk, qttranslations5-l10n")
# Opening files and addresses goes through the desktop's handler; logind and NetworkManager
# carry out the power and network actions.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, systemd, network-manager")
include(CPack)
