# The Windows side of the build: the compiler's runtime linked in, so that
# the four DLLs need nothing beside them but Windows.  The .def files (the
# engine's sixteen exports at ordinals 1-16, LumoSpellMakeDic at ordinal
# 1) and the builder's dialog template come with each library.
# No libgcc, libstdc++ or winpthread DLL may be needed beside the libraries.
set(LUMOSPELL_WINDOWS_LIBRARIES orthex orthbridge lexforge lumorank)
set(LUMOSPELL_WINDOWS_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
foreach(library ${LUMOSPELL_WINDOWS_LIBRARIES})
  target_link_options(${library} PRIVATE ${LUMOSPELL_WINDOWS_STATIC_RUNTIME})
endforeach()

# 32-bit: the __stdcall functions (_SpellVer@12) are exported under the
# plain names the .def files give; the fix-up links the two silently.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(LUMOSPELL_WINDOWS_STDCALL_EXPORTS -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  foreach(library ${LUMOSPELL_WINDOWS_LIBRARIES})
    target_link_options(${library} PRIVATE ${LUMOSPELL_WINDOWS_STDCALL_EXPORTS})
  endforeach()
  set(LUMOSPELL_WINDOWS_ARCH win32)
else()
  set(LUMOSPELL_WINDOWS_ARCH win64)
endif()
set(LUMOSPELL_RELEASE_NAME LumoSpell-${PROJECT_VERSION}-${LUMOSPELL_WINDOWS_ARCH})

# Every DLL carries a version resource (and is stripped as it is linked:
# cmake/lumospell_library.cmake).
set(LUMOSPELL_RC_DESCRIPTION_orthex "LumoSpell speller engine")
set(LUMOSPELL_RC_DESCRIPTION_orthbridge "LumoSpell host interface")
set(LUMOSPELL_RC_DESCRIPTION_lexforge "LumoSpell dictionary builder")
set(LUMOSPELL_RC_DESCRIPTION_lumorank "LumoSpell suggestion ranker")
foreach(library ${LUMOSPELL_WINDOWS_LIBRARIES})
  get_target_property(LUMOSPELL_RC_NAME ${library} OUTPUT_NAME)
  set(LUMOSPELL_RC_FILE ${LUMOSPELL_RC_NAME}.dll)
  set(LUMOSPELL_RC_DESCRIPTION "${LUMOSPELL_RC_DESCRIPTION_${library}}")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in
    ${PROJECT_BINARY_DIR}/version/${library}_version.rc @ONLY)
  target_sources(${library} PRIVATE ${PROJECT_BINARY_DIR}/version/${library}_version.rc)
endforeach()

# The default main dictionary and the ranker's index of it do not depend
# on the target.  The tools that make them (the builder's core, the word
# list merge, the index writer) run on the build machine, so a native
# sub-build of this same tree makes them with the machine's own compiler
# (LUMOSPELL_HOST_TOOLS, cmake/host_tools.cmake), and they are copied here.
include(ExternalProject)
set(LUMOSPELL_HOST_DATA ${PROJECT_BINARY_DIR}/host-tools/share/lumospell)
set(LUMOSPELL_DATA_FILES main.dic main.rank)
set(LUMOSPELL_HOST_TARGETS ranker_index)
foreach(lang en_US en_GB en_CA en_AU)
  list(APPEND LUMOSPELL_DATA_FILES
    ${lang}.dic ${lang}.rank ${lang}-frequency.txt ${lang}-typo-edits.txt)
  list(APPEND LUMOSPELL_HOST_TARGETS dictionary_${lang})
endforeach()
list(TRANSFORM LUMOSPELL_DATA_FILES PREPEND ${LUMOSPELL_HOST_DATA}/ OUTPUT_VARIABLE host_files)
list(TRANSFORM LUMOSPELL_DATA_FILES PREPEND ${LUMOSPELL_DATA_OUTPUT_DIR}/ OUTPUT_VARIABLE data_files)
ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${PROJECT_BINARY_DIR}/host-tools
  CMAKE_ARGS -DLUMOSPELL_HOST_TOOLS=ON -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  # Configured again first: a target added since the last build must exist.
  BUILD_COMMAND ${CMAKE_COMMAND} <BINARY_DIR>
  COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${LUMOSPELL_HOST_TARGETS}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${host_files})
add_custom_command(OUTPUT ${data_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMOSPELL_DATA_OUTPUT_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${host_files} ${LUMOSPELL_DATA_OUTPUT_DIR}
  DEPENDS host_tools ${host_files}
  VERBATIM)
add_custom_target(windows_data ALL DEPENDS ${data_files} ranker_frequency)

# The fuzz replay programs are Linux tools (dlopen, POSIX files): not part
# of the Windows build, nor is the program (left out at the top).  examples/
# builds only the Win32 host here.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR}/fuzz PROPERTY EXCLUDE_FROM_ALL TRUE)

option(LUMOSPELL_WINDOWS_TESTS "Build the Windows host test and the DLL checks" ON)
if(LUMOSPELL_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${PROJECT_BINARY_DIR}/tests/windows)
endif()

# The release: one zip per architecture (cpack in the build folder), laid
# out as the build tree is, so that the example host finds everything:
#   bin/      the four DLLs, their .debug files, win32_host.exe
#   lib/      their import libraries and the CMake package (LumoSpell::*)
#   include/lumospell/, share/lumospell/ (dictionary, index, frequencies
#   and the data's sources and licences), licenses/, examples/, and
#   README-windows.txt
# The DLLs, their import libraries, the headers and the CMake package:
# cmake/install.cmake.
foreach(library ${LUMOSPELL_WINDOWS_LIBRARIES})
  install(FILES $<TARGET_FILE:${library}>.debug DESTINATION bin)
endforeach()
install(TARGETS win32_host RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/examples/win32_host.c DESTINATION examples)
# The index and the frequencies: ranker/CMakeLists.txt.
# The main dictionaries (the default and one per variant) with their
# indexes, frequencies and typo edits.
list(FILTER data_files EXCLUDE REGEX "/main\\.rank$")
install(FILES ${data_files} DESTINATION share/lumospell)
install(FILES ${PROJECT_SOURCE_DIR}/data/variants/README.md
  DESTINATION share/lumospell RENAME README.variants.md)
install(FILES ${PROJECT_SOURCE_DIR}/data/ej/README.md
  DESTINATION share/lumospell RENAME README.ej.md)
install(FILES ${PROJECT_SOURCE_DIR}/data/words/README.md
  DESTINATION share/lumospell RENAME README.words.md)
install(FILES ${PROJECT_SOURCE_DIR}/data/frequency/README.md
  DESTINATION share/lumospell RENAME README.frequency.md)
install(FILES ${PROJECT_SOURCE_DIR}/docs/README-windows.txt DESTINATION .)
# The runtime linked into every DLL: mingw-w64's (winpthreads and the CRT
# start-up code carry notices that must come with it).
foreach(notice mingw-w64-common gcc-mingw-w64-base)
  if(EXISTS /usr/share/doc/${notice}/copyright)
    install(FILES /usr/share/doc/${notice}/copyright DESTINATION licenses RENAME ${notice}.txt)
  endif()
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME LumoSpell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${LUMOSPELL_RELEASE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES OFF)
include(CPack)
