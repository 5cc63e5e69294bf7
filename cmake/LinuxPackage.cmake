# Linux: install the program as a desktop application (desktop entry, hicolor icons, AppStream
# metainfo) and pack the installed tree as a Debian package with CPack:
#   cpack -G DEB   (from the build folder) -> network-tool_<version>_<arch>.deb
# Its dependencies come from the libraries the program links (dpkg-shlibdeps); its postinst gives
# the program the capability to bind ports below 1024 for the syslog server.
include(GNUInstallDirs)

set(VT_APP_ID "com.velkor.NetworkTool")
set(VT_SCREENSHOT_URL "https://www.velkor.com/network-tool/screenshots"
    CACHE STRING "Where the AppStream metainfo finds the screenshots of docs/screenshots/")
set(vt_linux ${PROJECT_SOURCE_DIR}/app/linux)

install(TARGETS velkor-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${vt_linux}/${VT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${vt_linux}/${VT_APP_ID}.metainfo.xml.in
    ${CMAKE_CURRENT_BINARY_DIR}/${VT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VT_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/app/resources/hicolor/${size}x${size}/apps/${VT_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "network-tool")
set(CPACK_PACKAGE_VENDOR "velkor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Network-Tool developers <dev@velkor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ping, trace route and TCP port tests with a syslog server")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")  # the postinst names /usr/bin/velkor-tool
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.velkor.com")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A desktop network utility for technicians: ping a host (a burst of five echoes, or one
every two seconds until stopped), trace the route to it, and test whether a TCP port
accepts connections, optionally from a chosen adapter's address, with every step in an
activity log. Further windows: an adapter tool, an IPv4 calculator and a syslog server.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the Qt platform plugins, and setcap
# for the postinst.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-thai-tlwg, fonts-liberation, network-manager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${vt_linux}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
