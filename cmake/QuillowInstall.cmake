# Install rules, the CMake package configuration, the pkg-config file and the
# Debian package. Two components: Runtime (the tool, its manual page, and the
# shared library when there is one) and Development (headers, static library
# or link name, package files). The Debian package holds Runtime only.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QUILLOW_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/Quillow" CACHE STRING
    "Where the CMake package configuration is installed, relative to the prefix")
mark_as_advanced(QUILLOW_CMAKE_DIR)

# An installed tool finds the installed shared library next to it, wherever
# the prefix was moved.
if(BUILD_SHARED_LIBS AND NOT WIN32)
  file(RELATIVE_PATH bin_to_lib "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
  if(APPLE)
    set_target_properties(quillow PROPERTIES INSTALL_RPATH "@loader_path/${bin_to_lib}")
  else()
    set_target_properties(quillow PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
  endif()
endif()

set_target_properties(quillow_snmp PROPERTIES EXPORT_NAME snmp)

install(TARGETS quillow
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime)
install(TARGETS quillow_snmp EXPORT QuillowTargets
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT Runtime
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Runtime NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT Development
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
install(FILES docs/quillow.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT Runtime)

# Every library header, under one prefix so that nothing collides with another
# project's message.h; the headers' relative includes hold under it.
install(DIRECTORY ber values pdu message transport sockets
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/quillow" COMPONENT Development
  FILES_MATCHING PATTERN "*.h")

install(EXPORT QuillowTargets NAMESPACE Quillow:: FILE QuillowTargets.cmake
  DESTINATION "${QUILLOW_CMAKE_DIR}" COMPONENT Development)
configure_package_config_file(cmake/QuillowConfig.cmake.in
  "${PROJECT_BINARY_DIR}/QuillowConfig.cmake"
  INSTALL_DESTINATION "${QUILLOW_CMAKE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/QuillowConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/QuillowConfig.cmake" "${PROJECT_BINARY_DIR}/QuillowConfigVersion.cmake"
  DESTINATION "${QUILLOW_CMAKE_DIR}" COMPONENT Development)

# The pkg-config file finds the prefix from its own place, so an install with
# --prefix or DESTDIR somewhere else still gives the right paths.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(QUILLOW_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(QUILLOW_PC_LIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}")
  set(QUILLOW_PC_INCLUDEDIR "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
else()
  file(RELATIVE_PATH pc_to_prefix "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
  string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
  set(QUILLOW_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
  set(QUILLOW_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(QUILLOW_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
# Winsock comes along with a static library; a shared one carries it itself.
set(QUILLOW_PC_LIBS "")
set(QUILLOW_PC_PRIVATE "")
if(WIN32)
  if(BUILD_SHARED_LIBS)
    set(QUILLOW_PC_PRIVATE "Libs.private: -lws2_32")
  else()
    set(QUILLOW_PC_LIBS " -lws2_32")
  endif()
endif()
configure_file(cmake/quillow.pc.in "${PROJECT_BINARY_DIR}/quillow.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/quillow.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT Development)

# cpack -G DEB: the tool and its manual page as the package "quillow". A
# project that builds Quillow inside its own keeps its own packaging.
if(NOT QUILLOW_IS_TOP_LEVEL)
  return()
endif()
set(CPACK_PACKAGE_NAME quillow)
set(CPACK_PACKAGE_VENDOR "The Quillow developers")
set(CPACK_PACKAGE_CONTACT "The Quillow developers <quillow@example.org>" CACHE STRING
    "Maintainer named in the packages")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR TGZ)
set(CPACK_STRIP_FILES ON)
# Only the Runtime component goes into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};Quillow;Runtime;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"quillow ipAddress community oid sends one SNMPv1 GetRequest over UDP to
port 161 of the device, waits at most 5 seconds for the reply, checks it
and prints the value's text. Every outcome has an exit status of its own,
so scripts can tell a value from each kind of failure.")
include(CPack)
