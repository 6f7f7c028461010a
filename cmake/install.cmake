# What `cmake --install` puts where.
install(TARGETS orthex orthbridge lexforge
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
  ${PROJECT_SOURCE_DIR}/include/lumospell/orthex.h
  ${PROJECT_SOURCE_DIR}/include/lumospell/orthbridge.h
  ${PROJECT_SOURCE_DIR}/include/lumospell/lexforge.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumospell)
configure_file(${PROJECT_SOURCE_DIR}/cmake/lumospell.pc.in
  ${PROJECT_BINARY_DIR}/lumospell.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumospell.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
install(FILES ${PROJECT_SOURCE_DIR}/docs/lumospell.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
