# What `cmake --install` and the Debian package hold: every program to bin, the
# installed configuration and the bundled parameter file to /etc/tarnwick, the
# systemd unit and the documentation; the package also creates the service's user.
get_property(tarnwick_programs GLOBAL PROPERTY TARNWICK_EXECUTABLES)
install(TARGETS ${tarnwick_programs} RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/etc/tarnwick.installed.json DESTINATION /etc/tarnwick RENAME tarnwick.json)
install(FILES ${PROJECT_SOURCE_DIR}/etc/parameters.json DESTINATION /etc/tarnwick)
install(FILES ${PROJECT_SOURCE_DIR}/etc/tarnwick.service DESTINATION /lib/systemd/system)
file(GLOB tarnwick_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${tarnwick_docs}
        DESTINATION share/doc/tarnwick)

# The package needs the programs only, not the tests and benchmarks of `all`:
# `make package` builds this target and then runs cpack, whose install step
# would otherwise build `all` first, one file at a time.
add_custom_target(tarnwick_programs)
add_dependencies(tarnwick_programs ${tarnwick_programs})
set(CMAKE_SKIP_PACKAGE_ALL_DEPENDENCY ON)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${TARNWICK_VERSION})
set(CPACK_PACKAGE_CONTACT "tarnwick maintainers <tarnwick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "translator between locating-system gateways and back ends over ZeroMQ")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "tarnwick turns hex gateway frames into JSON documents and JSON requests into downlink frames.\nIt comes with tarnwick-convert (offline conversion), tarnwick-send, tarnwick-tap and tarnwick-keygen (CURVE keys).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_STRIP_FILES ON)
find_program(TARNWICK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNWICK_DPKG_SHLIBDEPS)
  # Every shared library the programs load, libzmq5, libjsoncpp25 and libmosquitto1 among them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libzmq5, libjsoncpp25, libmosquitto1, libsystemd0, libstdc++6, libc6")
endif()
# The maintainer script creates the service's system user with adduser; the
# computed library dependencies are added to this list.
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
endif()

# Both configuration files are the administrator's once installed: upgrades keep
# local changes.
file(WRITE ${PROJECT_BINARY_DIR}/debian/conffiles "/etc/tarnwick/tarnwick.json\n/etc/tarnwick/parameters.json\n")
# The unit runs as the system user tarnwick, which postinst creates on configure.
configure_file(${PROJECT_SOURCE_DIR}/etc/tarnwick.postinst ${PROJECT_BINARY_DIR}/debian/postinst COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/conffiles ${PROJECT_BINARY_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
