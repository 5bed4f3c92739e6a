# Debian packages, made by `cpack -G DEB` in the build folder:
#   quimbo          the program with the terminal front end, the shipped
#                   machine files and the manual pages; quimbo-exporter with
#                   its service (not enabled) and alerting rules; nothing
#                   from Qt
#   quimbo-desktop  the desktop front end's module, the logo, the icon, the
#                   desktop and autostart entries and the AppStream metadata
# Both install under /usr, where the program finds its module and resources.
set(CPACK_PACKAGE_NAME quimbo)
set(CPACK_PACKAGE_VENDOR "Zelprin")
set(CPACK_PACKAGE_CONTACT "Quimbo developers <quimbo@zelprin.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zelprin.com/quimbo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "temperature and fan monitor")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL quimbo)
if(QUIMBO_DESKTOP)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
endif()
set(CPACK_COMPONENT_DESKTOP_DEPENDS quimbo)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Dependencies on shared libraries are read off the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# quimbo-desktop depends on quimbo of the same version.
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_QUIMBO_PACKAGE_NAME quimbo)
set(CPACK_COMPONENT_QUIMBO_DESCRIPTION
    "temperature and fan monitor\n"
    "Quimbo reads the machine's sensors every 2 seconds (through the SMC, or\n"
    "the kernel's hwmon interface on Linux) and shows the hottest CPU/GPU\n"
    "temperature and the fastest fan in a menu bar, with a panel of\n"
    "temperature tiles and fan gauges. This package holds the program with its\n"
    "terminal front end, and quimbo-exporter, which writes the same readings\n"
    "for Prometheus' node_exporter, with a systemd service (not enabled) and\n"
    "alerting rules.")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME quimbo-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION x11)
# Loaded by Qt at run time, so no binary names it: the X11 platform plugin.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "temperature and fan monitor - desktop front end\n"
    "Quimbo's label in the system tray (or a strip at the top of the screen)\n"
    "and its panel as a pop-up window, on Qt 6.")

include(CPack)
