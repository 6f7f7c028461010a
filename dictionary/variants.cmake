# One main dictionary per spelling variant of English, from SCOWL's lists
# at size 60 (the size the peers' default English dictionaries use), each
# with the English-Japanese headwords spelt its way (or alike in every
# variant), its frequency list (the other variants' counts carried to its
# own spellings), its table image and its ranker index.  Included by
# dictionary/ and by the Windows build's native sub-build of its data
# (LUMOSPELL_HOST_TOOLS: no table image, which only the Linux engine maps;
# the Windows build installs what it copies).  LUMOSPELL_EJ_WORDS is the
# builder's word list of the English-Japanese text.
set(LUMOSPELL_SCOWL_DIR /usr/share/dict/scowl CACHE PATH "SCOWL's word lists (Debian scowl)")
set(LUMOSPELL_VARIANT_SIZE 60)
if(NOT EXISTS ${LUMOSPELL_SCOWL_DIR}/english-words.60)
  message(FATAL_ERROR "SCOWL's word lists are not in ${LUMOSPELL_SCOWL_DIR}: "
          "run scripts/install-deps.sh (Debian package scowl)")
endif()
add_executable(make_variant_lists ${CMAKE_CURRENT_LIST_DIR}/make_variant_lists.cpp)
set(LUMOSPELL_VARIANTS en_US american en_GB british en_CA canadian en_AU australian)
while(LUMOSPELL_VARIANTS)
  list(POP_FRONT LUMOSPELL_VARIANTS lang scowl_name)
  set(dict ${LUMOSPELL_DATA_OUTPUT_DIR}/${lang}.dic)
  set(freq ${LUMOSPELL_DATA_OUTPUT_DIR}/${lang}-frequency.txt)
  set(words ${CMAKE_CURRENT_BINARY_DIR}/${lang}-words.txt)
  set(foreign ${CMAKE_CURRENT_BINARY_DIR}/${lang}-foreign.txt)
  set(edits ${LUMOSPELL_DATA_OUTPUT_DIR}/${lang}-typo-edits.txt)
  add_custom_command(OUTPUT ${dict} ${freq} ${edits}
    COMMAND $<TARGET_FILE:make_variant_lists> ${LUMOSPELL_SCOWL_DIR} ${scowl_name}
            ${LUMOSPELL_VARIANT_SIZE} ${PROJECT_SOURCE_DIR}/data/frequency/word-frequency.txt
            ${words} ${foreign} ${freq}
            ${PROJECT_SOURCE_DIR}/data/typo-model/typo-edits.txt ${edits}
    COMMAND $<TARGET_FILE:merge_word_lists> ${dict}
            --headwords-of ${LUMOSPELL_EJ_SOURCE} ${LUMOSPELL_EJ_WORDS}
            ${words} --except ${foreign}
    DEPENDS make_variant_lists merge_word_lists ${LUMOSPELL_MAIN_DICT}
            ${PROJECT_SOURCE_DIR}/data/frequency/word-frequency.txt
            ${PROJECT_SOURCE_DIR}/data/typo-model/typo-edits.txt
            ${LUMOSPELL_SCOWL_DIR}/english-words.60 ${LUMOSPELL_SCOWL_DIR}/${scowl_name}-words.60
    COMMENT "Building the ${lang} main dictionary"
    VERBATIM)
  set(rank ${LUMOSPELL_DATA_OUTPUT_DIR}/${lang}.rank)
  if(LUMOSPELL_HOST_TOOLS)
    add_custom_command(OUTPUT ${rank}
      COMMAND $<TARGET_FILE:lumorank_make_index> ${dict} ${freq} ${rank}
      DEPENDS lumorank_make_index ${dict} ${freq}
      COMMENT "Making the ranker index of ${lang}"
      VERBATIM)
    add_custom_target(dictionary_${lang} ALL DEPENDS ${rank})
  else()
    add_custom_command(OUTPUT ${dict}.table ${rank}
      COMMAND $<TARGET_FILE:make_table_image> ${dict}
      COMMAND $<TARGET_FILE:lumorank_make_index> ${dict} ${freq} ${rank}
      DEPENDS make_table_image lumorank_make_index ${dict} ${freq}
      COMMENT "Making the table image and ranker index of ${lang}"
      VERBATIM)
    add_custom_target(dictionary_${lang} ALL DEPENDS ${dict}.table ${rank})
    install(FILES ${dict} ${dict}.table ${freq} ${edits} ${rank}
      DESTINATION ${CMAKE_INSTALL_DATADIR}/lumospell)
  endif()
  add_dependencies(dictionary_${lang} default_dictionary)
endwhile()
