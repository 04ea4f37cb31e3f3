# Builds the two-layer tree beside this script and checks that the layers'
# link check refuses the back edge in it and passes the allowed edge.
#   cmake -DSOURCE_DIR=<repository> -DWORK_DIR=<scratch folder> -P CheckBackEdge.cmake
set(tree ${SOURCE_DIR}/tests/layers/backedge)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${tree} -B ${WORK_DIR} -G Ninja
            -DTALLVANE_LAYERS=${SOURCE_DIR}/cmake/TallvaneLayers.cmake
    RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "the two-layer tree does not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} --target tallvane_high_link_check
    RESULT_VARIABLE upper OUTPUT_VARIABLE upper_log ERROR_VARIABLE upper_log)
if(NOT upper EQUAL 0)
    message(FATAL_ERROR "an upper layer calling a lower one was refused:\n${upper_log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} --target tallvane_low_link_check
    RESULT_VARIABLE lower OUTPUT_VARIABLE lower_log ERROR_VARIABLE lower_log)
if(lower EQUAL 0 OR NOT lower_log MATCHES "undefined (reference to `|symbol: )highValue")
    message(FATAL_ERROR "a lower layer calling an upper one linked:\n${lower_log}")
endif()
message(STATUS "the back edge fails the link; the allowed edge links")
