# The Windows side of the build: the compiler's runtime linked in, so that
# the three DLLs need nothing beside them but Windows.  The .def files (the
# engine's sixteen exports at ordinals 1-16, LumoSpellMakeDic at ordinal
# 1) and the builder's dialog template come with each library.
# No libgcc, libstdc++ or winpthread DLL may be needed beside the libraries.
set(LUMOSPELL_WINDOWS_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
foreach(library orthex orthbridge lexforge)
  target_link_options(${library} PRIVATE ${LUMOSPELL_WINDOWS_STATIC_RUNTIME})
endforeach()

# 32-bit: the __stdcall functions (_SpellVer@12) are exported under the
# plain names the .def files give; the fix-up links the two silently.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(LUMOSPELL_WINDOWS_STDCALL_EXPORTS -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  foreach(library orthex orthbridge lexforge)
    target_link_options(${library} PRIVATE ${LUMOSPELL_WINDOWS_STDCALL_EXPORTS})
  endforeach()
endif()

# The fuzz replay programs are Linux tools (dlopen, POSIX files): not part
# of the Windows build, nor is the program (left out at the top).  examples/
# builds only the Win32 host here.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR}/fuzz PROPERTY EXCLUDE_FROM_ALL TRUE)

option(LUMOSPELL_WINDOWS_TESTS "Build the Windows host test and the DLL checks" ON)
if(LUMOSPELL_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${PROJECT_BINARY_DIR}/tests/windows)
endif()
