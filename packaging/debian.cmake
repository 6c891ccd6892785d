# The Linux program's desktop files and the Debian package (included by packaging/CMakeLists.txt).
include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(here ${CMAKE_CURRENT_SOURCE_DIR})
set(out ${CMAKE_CURRENT_BINARY_DIR})
set(VISTREL_MAINTAINER "${VISTREL_PUBLISHER} <vistrel@tarnwell.example>")

# Debian wants the man page and the changelog compressed, without a time stamp in the header.
string(TIMESTAMP VISTREL_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${here}/vistrel.1.in ${out}/vistrel.1 @ONLY)
configure_file(${here}/changelog.in ${out}/changelog @ONLY)
string(TIMESTAMP VISTREL_RELEASE_YEAR "%Y" UTC)
configure_file(${here}/copyright.in ${out}/copyright @ONLY)
configure_file(${here}/vistrel.metainfo.xml.in ${out}/example.tarnwell.Vistrel.metainfo.xml @ONLY)
foreach(name vistrel.1 changelog)
  add_custom_command(
    OUTPUT ${out}/${name}.gz
    COMMAND gzip -9nf -k ${out}/${name}
    DEPENDS ${out}/${name}
    VERBATIM)
endforeach()
add_custom_target(vistrel_desktop_files ALL DEPENDS ${out}/vistrel.1.gz ${out}/changelog.gz)
# Whatever builds the program can install it.
add_dependencies(vistrel vistrel_desktop_files)

# The icon at the sizes desktops ask for, committed as pictures: 32 x 32 is resources/magnifier.png,
# 16 x 16 its halving with a fresh outline, the larger ones drawn from the scalable picture
# (scripts/make-icons.sh), which is installed too for desktops that scale icons themselves.
install(DIRECTORY ${here}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/resources/magnifier.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME vistrel.svg)
install(FILES ${out}/example.tarnwell.Vistrel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${out}/vistrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${out}/copyright ${out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vistrel)
install(FILES ${here}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME vistrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "${VISTREL_PUBLISHER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_VISTREL_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${here}/strip-deb.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VISTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VISTREL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "small screen magnifier that lives in the tray
Vistrel shows an enlarged, live copy of the screen around the mouse cursor in
a small tool window. Left click zooms in, right click zooms out (1 to 20
times). The tray icon's menu sets the refresh, freezes the picture and keeps
the window on top; Alt+Space and Alt+V freeze it from anywhere. It runs in
X11 sessions and, through the desktop's screen cast portal, in Wayland
sessions.")
# The libraries come from the binary (dpkg-shlibdeps); what it loads or starts does not show
# there: Qt's Wayland platform plugin, and xdg-open for the Help file and the homepage.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
