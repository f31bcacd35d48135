# The Debian package: `cpack -G DEB --config <build>/CPackConfig.cmake` builds
# orvane_<version>_<arch>.deb from the install rules (OrvaneInstall.cmake).
# Its Depends line comes from the shared libraries the programs and the
# component actually link (dpkg-shlibdeps), plus the Qt SQLite driver, which
# is loaded as a plug-in and so invisible to it. The maintainer scripts
# register the component for all users on install and unregister it on removal.
set(ORVANE_PACKAGE_MAINTAINER "Orvane team" CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "purchase report component for Qt host applications")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The body under the summary line, as one string (a list would show its ';').
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The component a host loads by its ProgID Orvane.Reports to show purchase\n"
    "reports: parameter windows, lookup dialogs, preview, print and export. With it\n"
    "come orvane-report (the reports as files), orvane-demo (a demo host),\n"
    "orvane-demodb (a demo database), orvane-register, and the headers, CMake and\n"
    "pkg-config files a host builds against.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# orvane-report links the component, which the package itself ships; this
# finds it there whether or not the RUNPATH leads to it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${CMAKE_INSTALL_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, libqt6sql6-odbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tdsodbc")

set(ORVANE_INSTALLED_REGISTER ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvane-register)
set(ORVANE_INSTALLED_COMPONENT ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/${ORVANE_LIBRARY_NAME})
foreach(script postinst prerm postrm)
    configure_file(packaging/debian/${script}.in ${PROJECT_BINARY_DIR}/packaging/${script} @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
configure_file(packaging/debian/triggers ${PROJECT_BINARY_DIR}/packaging/triggers COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/packaging/postinst
    ${PROJECT_BINARY_DIR}/packaging/prerm
    ${PROJECT_BINARY_DIR}/packaging/postrm
    ${PROJECT_BINARY_DIR}/packaging/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
