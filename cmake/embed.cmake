# embed_files(OUTPUT files...): turns each file into a byte array in OUTPUT,
# looked up by file name through FindEmbeddedFile (assets/embedded.h).
function(embed_files output)
  set(files ${ARGN})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} "-DFILES=${files}" -P ${CMAKE_SOURCE_DIR}/cmake/embed_script.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/embed_script.cmake
    COMMENT "Embedding assets"
    VERBATIM)
endfunction()
