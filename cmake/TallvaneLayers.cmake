# The layers of the core library, each a static library of its own. A layer
# links the one directly below it, and through it every lower layer, never one
# above. Static libraries are linked highest first, so a function of a lower
# layer that calls into a higher one is left unresolved and the link fails:
# a back edge between layers is a build error, not only a review finding.
#
#   tallvane_add_layer(NAME [BELOW LOWER] SOURCES file...)
#
# makes the target tallvane_NAME from the files listed, relative to the
# calling folder.
function(tallvane_add_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 layer "" "BELOW" "SOURCES")
    if(layer_UNPARSED_ARGUMENTS OR NOT layer_SOURCES)
        message(FATAL_ERROR "tallvane_add_layer(${name}): give BELOW and SOURCES only")
    endif()
    add_library(tallvane_${name} STATIC ${layer_SOURCES})
    if(TARGET tallvane_fuzz_coverage)
        target_link_libraries(tallvane_${name} PRIVATE tallvane_fuzz_coverage)
    endif()
    if(layer_BELOW)
        target_link_libraries(tallvane_${name} PUBLIC tallvane_${layer_BELOW})
    endif()
endfunction()

# tallvane_check_layer_links(LAYER...) adds, for each layer, a shared library
# outside the default build that holds the whole layer and links it with
# --no-undefined against the layers below it alone: any call into a layer
# above fails that link, whether or not the program happens to pull the
# called code in anyway. The target tallvane_layer_links builds them all.
function(tallvane_check_layer_links)
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/layer_link_check.cpp)
    file(WRITE ${empty} "// Nothing of its own: the layer's archive is the whole library.\n")
    add_custom_target(tallvane_layer_links)
    foreach(name ${ARGN})
        set(check tallvane_${name}_link_check)
        add_library(${check} SHARED EXCLUDE_FROM_ALL ${empty})
        target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,tallvane_${name}>")
        target_link_options(${check} PRIVATE LINKER:--no-undefined)
        # clang links its sanitizers' runtime into executables only: a shared
        # library finds it in the runtime's own shared library.
        if(TALLVANE_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
            target_link_options(${check} PRIVATE -shared-libsan)
        endif()
        add_dependencies(tallvane_layer_links ${check})
    endforeach()
endfunction()
