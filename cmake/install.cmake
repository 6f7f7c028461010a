# What `cmake --install` puts where.  Every installed file that names
# another one does so relative to itself, so any prefix works, also one
# given only at install time.
include(CMakePackageConfigHelpers)

set(LUMOSPELL_INSTALLED_LIBRARIES orthex orthbridge lexforge)
set(LUMOSPELL_INSTALLED_HEADERS call.h orthex.h orthbridge.h lexforge.h)
if(TARGET lumorank)
  list(APPEND LUMOSPELL_INSTALLED_LIBRARIES lumorank)
  list(APPEND LUMOSPELL_INSTALLED_HEADERS ranker.h)
endif()
list(TRANSFORM LUMOSPELL_INSTALLED_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/include/lumospell/)
install(TARGETS ${LUMOSPELL_INSTALLED_LIBRARIES} EXPORT LumoSpellTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${LUMOSPELL_INSTALLED_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumospell)

set(LUMOSPELL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/LumoSpell)
install(EXPORT LumoSpellTargets NAMESPACE LumoSpell:: DESTINATION ${LUMOSPELL_CMAKE_DIR})
set(LUMOSPELL_CONFIG_DATADIR ${CMAKE_INSTALL_DATADIR}/lumospell)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/LumoSpellConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumoSpellConfig.cmake INSTALL_DESTINATION ${LUMOSPELL_CMAKE_DIR}
  PATH_VARS LUMOSPELL_CONFIG_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumoSpellConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumoSpellConfig.cmake
  ${PROJECT_BINARY_DIR}/LumoSpellConfigVersion.cmake DESTINATION ${LUMOSPELL_CMAKE_DIR})

# Windows: the rest of the release is cmake/windows.cmake's; the
# pkg-config file and the program's manual page are for Linux.
if(WIN32)
  return()
endif()

# The pkg-config file finds the prefix from its own place.
set(LUMOSPELL_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(kind LIBDIR INCLUDEDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(LUMOSPELL_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(LUMOSPELL_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
if(IS_ABSOLUTE "${LUMOSPELL_PKGCONFIG_DIR}")
  set(LUMOSPELL_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH LUMOSPELL_PC_UP /${LUMOSPELL_PKGCONFIG_DIR} /)
  set(LUMOSPELL_PC_PREFIX "\${pcfiledir}/${LUMOSPELL_PC_UP}")
  string(REGEX REPLACE "/$" "" LUMOSPELL_PC_PREFIX "${LUMOSPELL_PC_PREFIX}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/lumospell.pc.in
  ${PROJECT_BINARY_DIR}/lumospell.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumospell.pc DESTINATION ${LUMOSPELL_PKGCONFIG_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/docs/lumospell.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
