# Where an installed Tessaly lives: the program with its modules, movie and page in a folder of its
# own (its start-up directory), a launcher on the PATH that starts it there, the desktop entry,
# the icon and the AppStream data. `cpack` turns the same layout into a .deb.
include(GNUInstallDirs)

set(TESSALY_ID org.tessaly.tessaly)
set(TESSALY_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/tessaly)
set(linux_res ${PROJECT_SOURCE_DIR}/res/linux)

# The program, its modules and the libraries they share lie side by side and find each other there.
install(TARGETS tessaly RUNTIME DESTINATION ${TESSALY_PROGRAM_DIR})
foreach(library tessaly_base tessaly_pattern tessaly_settings tessaly_download tessaly_ui tessaly_res
        tessaly_media tessaly_explorer)
  if(TARGET ${library})
    install(TARGETS ${library} LIBRARY DESTINATION ${TESSALY_PROGRAM_DIR})
    set_target_properties(${library} PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
endforeach()
set_target_properties(tessaly PROPERTIES INSTALL_RPATH "$ORIGIN")
install(FILES ${PROJECT_SOURCE_DIR}/player/plsys.qml DESTINATION ${TESSALY_PROGRAM_DIR} RENAME plsys.dll)
install(FILES ${PROJECT_SOURCE_DIR}/app/webstrip/tips.html DESTINATION ${TESSALY_PROGRAM_DIR})

# The launcher finds the program folder relative to itself, so any prefix works.
file(RELATIVE_PATH TESSALY_BIN_TO_PROGRAM_DIR
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${TESSALY_PROGRAM_DIR})
configure_file(${linux_res}/tessaly.in ${CMAKE_BINARY_DIR}/launcher/tessaly @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/tessaly DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${linux_res}/${TESSALY_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_res}/${TESSALY_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${linux_res}/icons/${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TESSALY_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}) # the version the window and the About box show
set(CPACK_PACKAGE_CONTACT "Tessaly developers <tessaly@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Downloads videos from watch pages and plays them")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# The libraries the program and its modules link are found by dpkg-shlibdeps. What it cannot see
# is loaded by name at run time: libcurl, the display plugin, the movie's QML modules, the video
# decoders, Qt's Chinese texts and a font that has the Chinese glyphs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened by its soname too; the package that holds it here is the one to depend on.
execute_process(COMMAND dpkg-query -S */libcurl.so.4 OUTPUT_VARIABLE curl_owner ERROR_QUIET)
string(REGEX MATCH "^[^:,]+" curl_package "${curl_owner}")
if(NOT curl_package)
  set(curl_package libcurl4)
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "${curl_package}, qt6-qpa-plugins, qml6-module-qtquick, qml6-module-qtmultimedia, qt6-translations-l10n, \
gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, fonts-noto-cjk | fonts-wqy-microhei")
include(CPack)
