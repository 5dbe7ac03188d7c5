# The source folders are layers, bottom to top; ui and cli are the two front ends on top and
# never use each other. The same order is the table of tests/LayerIncludesTest.cpp.
set(SITEGAUGE_LAYER_ORDER platform model html net reports analysis engines app demo ui cli)

# sitegauge_layer(NAME SOURCES file... [LINKS layer...]): the static library sitegauge_NAME of
# the folder src/NAME. It may link only layers below it; anything else stops the configure step.
function(sitegauge_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LINKS")
    list(FIND SITEGAUGE_LAYER_ORDER ${name} rank)
    if(rank EQUAL -1)
        message(FATAL_ERROR "${name} is not a layer")
    endif()
    set(libs)
    foreach(dep IN LISTS arg_LINKS)
        list(FIND SITEGAUGE_LAYER_ORDER ${dep} dep_rank)
        if(dep_rank EQUAL -1 OR NOT dep_rank LESS rank OR dep STREQUAL "ui")
            message(FATAL_ERROR "sitegauge_${name} may not link sitegauge_${dep}: only layers below it")
        endif()
        list(APPEND libs sitegauge_${dep})
    endforeach()
    add_library(sitegauge_${name} STATIC ${arg_SOURCES})
    target_include_directories(sitegauge_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(sitegauge_${name} PUBLIC ${libs})
endfunction()
