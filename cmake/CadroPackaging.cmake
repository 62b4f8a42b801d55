# The Debian package (scripts/package): the programs and everything data/
# installs, under /usr. Its dependencies are worked out from the libraries the
# programs link (dpkg-shlibdeps). scripts/package builds it in a tree of its
# own with Debian's hardening flags.
set(CADRO_MAINTAINER "Cadro maintainers <maintainers@cadro.app>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME cadro)
set(CPACK_PACKAGE_VENDOR "The Cadro developers")
set(CPACK_PACKAGE_CONTACT "${CADRO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray app that shows what to work on now")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CadroStrip.cmake)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CADRO_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without its Wayland plugin Qt cannot start in a Wayland-only session.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Cadro lives in the system tray and moves you through everything you juggle,\n"
  "one thing at a time: threads with the step you are on, to-dos that drop in\n"
  "between, global shortcuts, and a cadro command for key bindings and status\n"
  "bars.")
include(CPack)
