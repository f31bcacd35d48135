# What `cmake --install` puts where (GNU directories), the CMake package a
# host finds with find_package(Orvane), its pkg-config file and the man pages.
# Only the shared component library, its public headers and the programs are
# installed: the layers linked into the library are never shipped, and hosts
# link nothing of the component (they load it by ProgID).
include(CMakePackageConfigHelpers)

set(ORVANE_PROGRAMS orvane-report orvane-demodb orvane-demo orvane-register)
get_target_property(orvane_soversion orvane SOVERSION)
set(ORVANE_LIBRARY_NAME
    ${CMAKE_SHARED_LIBRARY_PREFIX}orvane${CMAKE_SHARED_LIBRARY_SUFFIX}.${orvane_soversion})
set(ORVANE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Orvane)

# Installed anywhere, orvane-report finds the library beside it.
file(RELATIVE_PATH orvane_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(orvane-report PROPERTIES INSTALL_RPATH "$ORIGIN/${orvane_bin_to_lib}")

# No unversioned liborvane.so: nothing links to the component.
install(TARGETS orvane
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvane)
install(TARGETS ${ORVANE_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Orvane::Reports: the public headers and the Qt they need, nothing to link
# (orvane_host_interface, defined with the headers in src/component).
install(TARGETS orvane_host_interface EXPORT OrvaneTargets)
install(EXPORT OrvaneTargets NAMESPACE Orvane:: DESTINATION ${ORVANE_PACKAGE_DIR})

set(ORVANE_COMPONENT_LIBRARY ${CMAKE_INSTALL_LIBDIR}/${ORVANE_LIBRARY_NAME})
set(ORVANE_REGISTER_EXECUTABLE ${CMAKE_INSTALL_BINDIR}/orvane-register)
set(ORVANE_QT_VERSION ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})
configure_package_config_file(cmake/OrvaneConfig.cmake.in ${PROJECT_BINARY_DIR}/package/OrvaneConfig.cmake
    INSTALL_DESTINATION ${ORVANE_PACKAGE_DIR}
    PATH_VARS ORVANE_COMPONENT_LIBRARY ORVANE_REGISTER_EXECUTABLE)
# The rule is stated at the top of the version file that enforces it.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/OrvaneConfigVersion.body
    COMPATIBILITY SameMinorVersion)
file(READ ${PROJECT_BINARY_DIR}/package/OrvaneConfigVersion.body orvane_version_body)
file(WRITE ${PROJECT_BINARY_DIR}/package/OrvaneConfigVersion.cmake
    "# Orvane ${PROJECT_VERSION}. Compatibility: while the major version is 0, a minor release\n"
    "# may change the interface a host calls (the library's SONAME is ${ORVANE_LIBRARY_NAME}), so\n"
    "# find_package(Orvane 0.${PROJECT_VERSION_MINOR}) accepts 0.${PROJECT_VERSION_MINOR}.z only, z at least the one asked.\n\n"
    "${orvane_version_body}")
install(FILES ${PROJECT_BINARY_DIR}/package/OrvaneConfig.cmake ${PROJECT_BINARY_DIR}/package/OrvaneConfigVersion.cmake
    DESTINATION ${ORVANE_PACKAGE_DIR})

# pkg-config, relocatable like the CMake package.
file(RELATIVE_PATH orvane_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" orvane_pc_to_prefix "${orvane_pc_to_prefix}")
configure_file(packaging/orvane.pc.in ${PROJECT_BINARY_DIR}/package/orvane.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/orvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES README.md docs/embedding.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane)
# The licence, under the name Debian gives it.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane RENAME copyright)
install(DIRECTORY examples/host DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane/examples)

# Man pages from each program's --help, when help2man is there. Sanitizer
# and fuzz builds skip them: they would run instrumented programs.
find_program(HELP2MAN_EXECUTABLE help2man)
if(HELP2MAN_EXECUTABLE AND NOT ORVANE_SANITIZE AND NOT ORVANE_FUZZ)
    set(orvane_man_names
        "orvane-report=write the purchase reports to PDF, CSV or XLSX"
        "orvane-demodb=write a demo database with the host schema"
        "orvane-demo=a demo host application of the Orvane report component"
        "orvane-register=register the Orvane report component by its ProgID")
    set(orvane_man_pages)
    foreach(entry ${orvane_man_names})
        string(REGEX MATCH "^[^=]+" program "${entry}")
        string(REGEX REPLACE "^[^=]+=" "" summary "${entry}")
        set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
        # Compressed, as Debian wants them; man reads them so everywhere.
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN_EXECUTABLE} --no-info --version-string=${PROJECT_VERSION}
                "--name=${summary}" --output=${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program}
            COMMENT "Man page of ${program}"
            VERBATIM)
        list(APPEND orvane_man_pages ${page}.gz)
    endforeach()
    add_custom_target(orvane_man_pages ALL DEPENDS ${orvane_man_pages})
    install(FILES ${orvane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
