# Turns files into C++ byte arrays at build time.
# sitegauge_embed_file(INPUT SYMBOL LABEL OUT_VAR) makes INPUT the array sg::resources::SYMBOL
# and sets OUT_VAR to the generated source; LABEL names the file in the build's log.
function(sitegauge_embed_file input symbol label out_var)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${symbol}.cpp)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
        DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
        COMMENT "Embedding ${label}")
    set(${out_var} ${output} PARENT_SCOPE)
endfunction()

# sitegauge_embed_resources(OUT_VAR file...) sets OUT_VAR to the generated sources. Each file
# becomes sg::resources::<name> where name is the file name with non-alphanumerics as '_'.
function(sitegauge_embed_resources out_var)
    set(generated)
    foreach(input ${ARGN})
        get_filename_component(file_name ${input} NAME)
        string(MAKE_C_IDENTIFIER ${file_name} symbol)
        sitegauge_embed_file(${input} ${symbol} ${file_name} output)
        list(APPEND generated ${output})
    endforeach()
    set(${out_var} ${generated} PARENT_SCOPE)
endfunction()
