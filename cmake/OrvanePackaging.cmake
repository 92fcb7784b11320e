# A Debian package of the installed program: `cpack -G DEB` in the build
# directory. Its dependencies are the Debian Qt 6 runtime packages the
# program links, with the C and C++ runtimes.
set(CPACK_PACKAGE_NAME "orvane")
set(CPACK_PACKAGE_VENDOR "Orvane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PLC emulator for AS511 programming software on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane stands in for a programmable logic controller on a serial line: programming software "
    "speaks the AS511 protocol to it as to a real controller, and it answers from a memory image "
    "the operator watches and edits in a window, or serves unattended.")
set(CPACK_PACKAGE_CONTACT "Orvane developers <dev@orvane.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), qt6-qpa-plugins, libc6, libstdc++6")
include(CPack)
