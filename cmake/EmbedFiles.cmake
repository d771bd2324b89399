# Compiles files into the program as byte arrays.
#
#   stellix_embed_files(<target> SYMBOL_PREFIX <prefix> FILES <file>...)
#
# adds to <target> one generated source per file defining
#   extern const unsigned char <prefix><stem>[]; extern const unsigned long <prefix><stem>_size;
# where <stem> is the file name with every character other than a letter or digit made '_'.
# The sources are regenerated when a file changes.
set(STELLIX_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)

function(stellix_embed_files target)
  cmake_parse_arguments(ARG "" "SYMBOL_PREFIX" "FILES" ${ARGN})
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(name ${file} NAME)
    string(MAKE_C_IDENTIFIER "${name}" stem)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded/${ARG_SYMBOL_PREFIX}${stem}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${out} -DSYMBOL=${ARG_SYMBOL_PREFIX}${stem}
              -P ${STELLIX_EMBED_SCRIPT}
      DEPENDS ${file} ${STELLIX_EMBED_SCRIPT}
      COMMENT "Embedding ${name}"
      VERBATIM)
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()
