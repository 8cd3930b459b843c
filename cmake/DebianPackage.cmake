# The Debian package of the programs, made by CPack: `cmake --build build --target package` or
# `cd build && cpack -G DEB`. zentiq-sim and the tests have no install rules and stay out.
set(MIRAFEN_PACKAGE_MAINTAINER "Mirafen maintainers <mirafen@orvell.example>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

# Debian wants a copyright file and, for a package without a Debian revision, a changelog
# among the package's documents.
configure_file(${PROJECT_SOURCE_DIR}/resources/copyright ${CMAKE_BINARY_DIR}/package/copyright
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/changelog.in ${CMAKE_BINARY_DIR}/package/changelog
               @ONLY)
mirafen_compressed_file(mirafen_package_changelog ${CMAKE_BINARY_DIR}/package/changelog
                        ${CMAKE_BINARY_DIR}/package/doc/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright ${CMAKE_BINARY_DIR}/package/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mirafen)

# Where bash-completion looks for the completion of a command: a file named after it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/mirafen-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME mirafen-cli)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirafen)
set(CPACK_PACKAGE_VENDOR Orvell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MIRAFEN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MIRAFEN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the X11 platform plugin only; on a Wayland session without XWayland the
# window needs Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "setup tool for the Zentiq lead impedance tester
Mirafen prepares the setup of a Zentiq, a portable instrument that tests
the impedance of up to 128 leads: lead names and skip flags, test
frequency, good and poor limits, failure rules, start-up mode and shut-off
time. It keeps setups in .prp files and reads them from or writes them
into the instrument over a serial port.
.
The package holds the window program mirafen, with its help page, desktop
entry and icon, and the command line mirafen-cli for scripts and
terminals.")
include(CPack)
