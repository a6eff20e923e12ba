# Where an installed Tessaly lives, laid out as Debian's Qt applications are: the program on the
# PATH, its private libraries and modules in a folder of their own under the architecture's
# library folder (found through the RUNPATH), its movie and page under share/tessaly, the desktop
# entry, icons, AppStream data, manual pages and the Debian copyright and changelog. The program
# finds its folders relative to itself (ui/ProgramFolders.cpp). `cpack` turns the layout into a .deb.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/QmlDepends.cmake)

set(TESSALY_ID org.tessaly.tessaly)
set(TESSALY_DEB_REVISION 1)
set(TESSALY_MAINTAINER "Tessaly Developers <tessaly@lists.tessaly.org>")
set(TESSALY_HOMEPAGE "https://tessaly.org/")
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TESSALY_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/tessaly)
else()
  set(TESSALY_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/tessaly)
endif()
set(TESSALY_DATADIR ${CMAKE_INSTALL_DATADIR}/tessaly)
set(TESSALY_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tessaly)
set(linux_res ${PROJECT_SOURCE_DIR}/res/linux)
set(generated ${CMAKE_BINARY_DIR}/packaging)

file(RELATIVE_PATH bin_to_libs /${CMAKE_INSTALL_BINDIR} /${TESSALY_PRIVATE_LIBDIR})
file(RELATIVE_PATH bin_to_data /${CMAKE_INSTALL_BINDIR} /${TESSALY_DATADIR})
target_compile_definitions(tessaly_ui PRIVATE
  TESSALY_MODULE_DIR_FROM_BIN="${bin_to_libs}" TESSALY_DATA_DIR_FROM_BIN="${bin_to_data}")

install(TARGETS tessaly RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(tessaly PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_libs}")
foreach(library tessaly_base tessaly_pattern tessaly_settings tessaly_download tessaly_ui tessaly_res
        tessaly_media tessaly_explorer)
  if(TARGET ${library})
    install(TARGETS ${library} LIBRARY DESTINATION ${TESSALY_PRIVATE_LIBDIR} NAMELINK_SKIP)
    set_target_properties(${library} PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/player/plsys.qml DESTINATION ${TESSALY_DATADIR} RENAME plsys.dll)
install(FILES ${PROJECT_SOURCE_DIR}/app/webstrip/tips.html DESTINATION ${TESSALY_DATADIR})

install(FILES ${linux_res}/${TESSALY_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${linux_res}/${TESSALY_ID}.metainfo.xml.in ${generated}/${TESSALY_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${TESSALY_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${linux_res}/icons/${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TESSALY_ID}.png)
endforeach()

# Manual pages and the changelog carry the version; Debian wants them compressed without a
# time stamp, so that the same sources give the same package.
function(tessaly_gzipped source name destination)
  configure_file(${source} ${generated}/${name} @ONLY)
  execute_process(COMMAND gzip -9nc ${generated}/${name} OUTPUT_FILE ${generated}/${name}.gz
    COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${generated}/${name}.gz DESTINATION ${destination})
endfunction()
string(TIMESTAMP TESSALY_YEAR "%Y" UTC)
tessaly_gzipped(${linux_res}/man/tessaly.1.in tessaly.1 ${CMAKE_INSTALL_MANDIR}/man1)
tessaly_gzipped(${linux_res}/man/tessaly.zh_CN.1.in zh_CN/tessaly.1 ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)
tessaly_gzipped(${linux_res}/debian/changelog.in changelog.Debian ${TESSALY_DOCDIR})
install(FILES ${linux_res}/debian/copyright DESTINATION ${TESSALY_DOCDIR})
install(FILES ${linux_res}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME tessaly)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}) # the version the window and the About box show
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TESSALY_DEB_REVISION})
set(CPACK_PACKAGE_CONTACT "${TESSALY_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TESSALY_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video downloader and player with a Chinese interface")
file(READ ${linux_res}/debian/description CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program and its modules link are found by dpkg-shlibdeps (the private ones in
# their own folder). What it cannot see is loaded by name at run time; debian/changelog says why
# each of these is a Depends or a Recommends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened by its soname too; the package that holds it here is the one to depend on.
execute_process(COMMAND dpkg-query -S */libcurl.so.4 OUTPUT_VARIABLE curl_owner ERROR_QUIET)
string(REGEX MATCH "^[^:,]+" curl_package "${curl_owner}")
if(NOT curl_package)
  set(curl_package libcurl4)
endif()
# The movie's QML modules, as Qt's import scanner finds them from its imports.
set(TESSALY_QML_IMPORT_PATH ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_QML})
tessaly_qml_module_packages(${PROJECT_SOURCE_DIR}/player/plsys.qml movie_packages)
list(JOIN movie_packages ", " movie_depends)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${curl_package}, qt6-qpa-plugins, ${movie_depends}, \
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-libav, \
qt6-translations-l10n, \
fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei | fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, gstreamer1.0-pulseaudio")
include(CPack)
