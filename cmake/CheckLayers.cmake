# Fails when a source file includes a header of a layer above its own.
# The layers, lowest first: a file may include headers of its own layer and of
# the layers before it, never of one after it. Core folders are layers of their
# own; the printable results (src/report) come above the whole core, the widgets
# above them and the program above the widgets.
#   cmake -DSOURCE_DIR=<repository> -P cmake/CheckLayers.cmake
set(layers db shell server scoreboard judging entry console transfer results web report gui app)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "Pass -DSOURCE_DIR=<repository>")
endif()
set(roots "${SOURCE_DIR}/src/core" "${SOURCE_DIR}/src/report" "${SOURCE_DIR}/src/gui"
    "${SOURCE_DIR}/src/app")

# The layer of a file under src/, or "" for a file outside the layers.
function(layer_of path out)
    file(RELATIVE_PATH rel "${SOURCE_DIR}/src" "${path}")
    string(REGEX MATCH "^[^/]+" top "${rel}")
    if(top STREQUAL "core")
        string(REGEX MATCH "^core/([^/]+)/" _ "${rel}")
        set(top "${CMAKE_MATCH_1}")
    endif()
    list(FIND layers "${top}" rank)
    if(rank LESS 0)
        set(${out} "" PARENT_SCOPE)
    else()
        set(${out} "${top}" PARENT_SCOPE)
    endif()
endfunction()

file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
list(SORT sources)
set(broken 0)
foreach(source IN LISTS sources)
    layer_of("${source}" own)
    if(own STREQUAL "")
        continue()
    endif()
    list(FIND layers "${own}" own_rank)
    get_filename_component(dir "${source}" DIRECTORY)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
        set(header "${CMAKE_MATCH_1}")
        # As the compiler looks: beside the file, then along the include paths.
        set(found "")
        foreach(base IN ITEMS "${dir}" ${roots})
            if(EXISTS "${base}/${header}")
                set(found "${base}/${header}")
                break()
            endif()
        endforeach()
        if(found STREQUAL "")
            continue()
        endif()
        layer_of("${found}" target)
        list(FIND layers "${target}" target_rank)
        if(target_rank GREATER own_rank)
            file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
            list(JOIN layers " < " order)
            message(SEND_ERROR "${rel} includes \"${header}\": ${own} may not include "
                               "${target}, which lies above it (layers: ${order})")
            math(EXPR broken "${broken} + 1")
        endif()
    endforeach()
endforeach()

if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) against the layer order")
endif()
list(LENGTH sources count)
message(STATUS "${count} files, every include follows the layer order")
