# Installing the library, the commands and their documentation the way a
# Debian system expects them: GNU directories, a CMake package, a pkg-config
# file, a manual page, bash completion, and a .deb made by CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS tqxml_shared EXPORT tqxmlTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/tqxml/tqxml.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tqxml COMPONENT development)
if(TARGET tqxml_tool)
  install(TARGETS tqxml_tool tqxml_genjob RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT runtime)
  set(TQXML_MAN_DATE "December 2026")
  configure_file(${PROJECT_SOURCE_DIR}/doc/tqxml.1.in ${PROJECT_BINARY_DIR}/tqxml.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tqxml.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/doc/tqxml.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tqxml
          COMPONENT runtime)
  # The document's schema, as the command generates it from the declarations.
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/tqxml.xsd
                     COMMAND tqxml_tool --schema > ${PROJECT_BINARY_DIR}/tqxml.xsd
                     DEPENDS tqxml_tool VERBATIM)
  add_custom_target(tqxml_schema ALL DEPENDS ${PROJECT_BINARY_DIR}/tqxml.xsd)
  install(FILES ${PROJECT_BINARY_DIR}/tqxml.xsd DESTINATION ${CMAKE_INSTALL_DATADIR}/tqxml
          COMPONENT runtime)
endif()

# The CMake package: find_package(tqxml 0.x) then tqxml::tqxml.
set(TQXML_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tqxml)
install(EXPORT tqxmlTargets NAMESPACE tqxml:: DESTINATION ${TQXML_CMAKE_DIR}
        COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tqxmlConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/tqxmlConfig.cmake
                              INSTALL_DESTINATION ${TQXML_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tqxmlConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tqxmlConfig.cmake ${PROJECT_BINARY_DIR}/tqxmlConfigVersion.cmake
        DESTINATION ${TQXML_CMAKE_DIR} COMPONENT development)
# The same package from the build tree (CMAKE_PREFIX_PATH=build).
export(EXPORT tqxmlTargets NAMESPACE tqxml:: FILE ${PROJECT_BINARY_DIR}/tqxmlTargets.cmake)

# pkg-config: the prefix found from where the file lies, so that a tree
# installed with --prefix (or a package's /usr) finds its own files.
file(RELATIVE_PATH TQXML_PC_UP "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" TQXML_PC_UP "${TQXML_PC_UP}")
set(TQXML_PC_PREFIX "\${pcfiledir}/${TQXML_PC_UP}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(TQXML_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(TQXML_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(TQXML_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(TQXML_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/tqxml.pc.in ${PROJECT_BINARY_DIR}/tqxml.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tqxml.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT development)

# The Debian package: `cpack -G DEB` in the build folder.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()
set(CPACK_PACKAGE_NAME tqxml)
set(CPACK_PACKAGE_VENDOR "The tqxml developers")
set(CPACK_PACKAGE_CONTACT "The tqxml developers <tqxml@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts survey job files into XML documents")
set(CPACK_PACKAGE_DESCRIPTION
    "tqxml replays the journal of a field-survey job file into its records and writes every\n\
record, field by field, as one element of a single XML document. It comes as a shared\n\
library with one exported C function, CreateTQXMLFile, and as the tqxml command.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
