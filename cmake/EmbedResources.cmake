# Turns files into C++ byte arrays at build time.
# sitegauge_embed_resources(OUT_VAR file...) sets OUT_VAR to the generated sources. Each file
# becomes sg::resources::<name> where name is the file name with non-alphanumerics as '_'.
function(sitegauge_embed_resources out_var)
    set(generated)
    foreach(input ${ARGN})
        get_filename_component(file_name ${input} NAME)
        string(MAKE_C_IDENTIFIER ${file_name} symbol)
        set(output ${CMAKE_CURRENT_BINARY_DIR}/resources/${symbol}.cpp)
        add_custom_command(
            OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                    -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
            DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
            COMMENT "Embedding ${file_name}")
        list(APPEND generated ${output})
    endforeach()
    set(${out_var} ${generated} PARENT_SCOPE)
endfunction()
