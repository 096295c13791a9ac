# What `cmake --install` puts in place besides the programs, and the Debian package made from
# that tree: `cpack -G DEB` in the build folder (scripts/package.sh).

install(FILES ${CMAKE_SOURCE_DIR}/packaging/pirumoa.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Qt's own texts in Japanese (file dialogs, standard buttons). The program prefers the ones of
# the Qt it runs on and falls back to this copy where the system has none.
set(QT_TEXTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_ja.qm)
if(EXISTS ${QT_TEXTS})
  install(FILES ${QT_TEXTS} DESTINATION ${PIRUMOA_DATA_DIR}/translations)
else()
  message(WARNING "${QT_TEXTS} not found (Debian: qt6-translations-l10n): the package will "
                  "show Qt's own buttons and dialogs in English where the system has no copy")
endif()

set(CPACK_PACKAGE_NAME pirumoa)
set(CPACK_PACKAGE_VENDOR "Pirumoa developers")
set(CPACK_PACKAGE_CONTACT "Pirumoa developers <maintainers@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Numbers 4 lottery analysis and prediction (Japanese)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "ナンバーズ4ピルモアLite keeps the history of Numbers 4 draws in an encrypted local\n"
  "database and shows analysis windows (how often, how long ago and in which patterns the\n"
  "digits were drawn), a prediction window and a window to enter past draws. The\n"
  "interface is Japanese.\n"
  "pirumoa-cli prints the analyses and imports and exports draws.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link are found by dpkg-shlibdeps. The fonts are what the windows
# were laid out with: without them the Japanese texts take other widths.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
