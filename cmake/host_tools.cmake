# The native sub-build of the Windows build (LUMOSPELL_HOST_TOOLS=ON, made
# by cmake/windows.cmake with the build machine's own compiler): the data
# that does not depend on the target, made by tools that run here.  The
# default main dictionary, the ranker's index of it and the frequency file
# land in its share/lumospell/, the same bytes as in the Linux build.
add_subdirectory(common)
add_subdirectory(platform)
add_subdirectory(builder)

add_executable(make_word_list builder/make_word_list.cpp)
target_link_libraries(make_word_list PRIVATE lexforge_core)
add_executable(merge_word_lists dictionary/merge_word_lists.cpp)
target_link_libraries(merge_word_lists PRIVATE lumo_common)

# As dictionary/CMakeLists.txt makes it for Linux.
set(LUMOSPELL_EJ_SOURCE ${PROJECT_SOURCE_DIR}/data/ej/ej-source-full.sjis.txt)
set(LUMOSPELL_WORD_LIST ${PROJECT_SOURCE_DIR}/data/words/american-english-large)
set(LUMOSPELL_MAIN_DICT ${LUMOSPELL_DATA_OUTPUT_DIR}/main.dic)
add_custom_command(OUTPUT ${LUMOSPELL_MAIN_DICT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMOSPELL_DATA_OUTPUT_DIR}
  COMMAND make_word_list ${LUMOSPELL_EJ_SOURCE} ${PROJECT_BINARY_DIR}/ej-words.dic
  COMMAND merge_word_lists ${LUMOSPELL_MAIN_DICT}
          --headwords-of ${LUMOSPELL_EJ_SOURCE} ${PROJECT_BINARY_DIR}/ej-words.dic
          ${LUMOSPELL_WORD_LIST}
  DEPENDS make_word_list merge_word_lists ${LUMOSPELL_EJ_SOURCE} ${LUMOSPELL_WORD_LIST}
  COMMENT "Building the default main dictionary"
  VERBATIM)
add_custom_target(default_dictionary ALL DEPENDS ${LUMOSPELL_MAIN_DICT})

add_subdirectory(ranker)

# The variants' dictionaries, frequencies, typo edits and indexes.
set(LUMOSPELL_EJ_WORDS ${PROJECT_BINARY_DIR}/ej-words.dic)
include(dictionary/variants.cmake)
