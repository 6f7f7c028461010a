# lumospell_library(<name>
#   CORE <source>...           all the logic: the static library <name>_core
#   EXPORTS <source>           the thin file of exports: the shared library <name>
#   VERSION_SCRIPT <file>      the symbols the shared library exports (ELF)
#   DEF_FILE <file>            the same for Windows, with the ordinals
#   WINDOWS_NAME <name>        the DLL's name without ".dll"
#   BUILDING_DEFINE <macro>)   set while the library and its core compile
#
# The core's include folders are its own folder and include/; it links the
# platform layer.  The shared library carries VERSION and SOVERSION (not on
# Windows, whose DLL names are fixed) and, built or installed, the folder of
# the public headers; LumoSpell::<name> names it in both.
function(lumospell_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg
    "" "EXPORTS;VERSION_SCRIPT;DEF_FILE;WINDOWS_NAME;BUILDING_DEFINE" "CORE")
  add_library(${name}_core STATIC ${arg_CORE})
  target_include_directories(${name}_core PUBLIC
    ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name}_core PUBLIC lumo_platform)
  target_compile_definitions(${name}_core PUBLIC ${arg_BUILDING_DEFINE})

  add_library(${name} SHARED ${arg_EXPORTS})
  add_library(LumoSpell::${name} ALIAS ${name})
  target_link_libraries(${name} PRIVATE ${name}_core)
  target_include_directories(${name} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  if(WIN32)
    target_sources(${name} PRIVATE ${arg_DEF_FILE})
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${arg_WINDOWS_NAME})
    # Shipped stripped: the debug information goes to <name>.dll.debug
    # beside it, which debuggers find through the link the DLL keeps.
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${name}>
              $<TARGET_FILE_NAME:${name}>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:${name}>.debug
              $<TARGET_FILE_NAME:${name}>
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>
      VERBATIM)
    # 32-bit: the linker's import library names the plain symbols, but a
    # host compiled with the headers asks for the stdcall-decorated ones
    # (_LumoSpellInit@4).  <name>_import32.def lists those; dlltool makes
    # the import library from it, importing each under its plain name.
    set(import_def ${CMAKE_CURRENT_SOURCE_DIR}/${name}_import32.def)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND EXISTS ${import_def})
      add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${import_def}
                --dllname $<TARGET_FILE_NAME:${name}> --output-lib $<TARGET_LINKER_FILE:${name}>
        VERBATIM)
      set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${import_def})
    endif()
  else()
    target_link_options(${name} PRIVATE
      "-Wl,--version-script=${arg_VERSION_SCRIPT}" "-Wl,--no-undefined")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${arg_VERSION_SCRIPT})
    set_target_properties(${name} PROPERTIES
      VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  endif()
endfunction()
