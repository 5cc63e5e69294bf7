# Windows: install the program with the Qt libraries and plugins it needs (windeployqt, run by
# Qt's generated deploy script) and pack the installed tree with CPack: an NSIS installer when
# makensis is on the PATH, and always a ZIP.
include(GNUInstallDirs)

set_target_properties(velkor-tool PROPERTIES WIN32_EXECUTABLE ON)  # no console window
install(TARGETS velkor-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# windeployqt runs on the build machine and is part of qtbase from Qt 6.5 on: a cross build, or
# an older Qt, is packed by scripts/package-windows.sh instead.
if(NOT CMAKE_CROSSCOMPILING AND Qt6_VERSION VERSION_GREATER_EQUAL 6.5)
    qt_generate_deploy_app_script(
        TARGET velkor-tool
        OUTPUT_SCRIPT vt_deploy_script
        NO_TRANSLATIONS
    )
    install(SCRIPT ${vt_deploy_script})
endif()

set(CPACK_PACKAGE_NAME "Network-Tool")
set(CPACK_PACKAGE_VENDOR "velkor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ping, trace route, TCP port test, adapter tool, IPv4 calculator, syslog server")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Network-Tool")
set(CPACK_PACKAGE_EXECUTABLES "velkor-tool" "Network-Tool")  # Start-menu entry
find_program(VT_MAKENSIS makensis)
if(VT_MAKENSIS)
    set(CPACK_GENERATOR NSIS ZIP)
else()
    set(CPACK_GENERATOR ZIP)
endif()
set(CPACK_NSIS_DISPLAY_NAME "Network-Tool ${PROJECT_VERSION}")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_INSTALLED_ICON_NAME "${CMAKE_INSTALL_BINDIR}\\\\velkor-tool.exe")
include(CPack)
