# Unity builds: a library's files compiled in batches, each batch one
# compiler run that includes them in turn. Qt's headers are read, and the Qt
# templates the files share are instantiated and optimized, once a batch
# rather than once a file. A file that defines a file-local name another file
# of its library defines too (a helper in an anonymous namespace, a constant)
# is compiled on its own instead, named with tallvane_compile_alone().
#
# Batches pay where nothing is cached: a fresh machine, CI. Where ccache is
# installed, the files are compiled one by one by default: ccache then shares
# them between checkouts (a batch names its files by their whole paths, so it
# is never shared), and an edit recompiles one file, not its batch.
# -DTALLVANE_UNITY=ON or OFF chooses either way. CI builds the batches; its
# sanitizer build compiles every file alone, which keeps proving that each
# file includes what it uses.
if(CCACHE_PROGRAM)
    set(unity_default OFF)
else()
    set(unity_default ON)
endif()
option(TALLVANE_UNITY "Compile the libraries' files in batches" ${unity_default})
# Sixteen files a batch: the database layer's files took 34 s of CPU in
# batches of four, 24 s in batches of eight, 17.5 s in batches of sixteen and
# 18 s in one batch of all of them (which no second core can share).
set(TALLVANE_UNITY_BATCH_SIZE 16 CACHE STRING "Files in one batch of a unity build")

# tallvane_unity_build(TARGET...) turns batches on for the targets.
function(tallvane_unity_build)
    if(TALLVANE_UNITY)
        set_target_properties(${ARGN} PROPERTIES
            UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TALLVANE_UNITY_BATCH_SIZE})
    endif()
endfunction()

# tallvane_compile_alone(TARGET FILE...) keeps the files (relative to the
# calling folder) out of TARGET's batches.
function(tallvane_compile_alone target)
    set(files)
    foreach(file ${ARGN})
        list(APPEND files ${CMAKE_CURRENT_SOURCE_DIR}/${file})
    endforeach()
    get_target_property(target_dir ${target} SOURCE_DIR)
    set_source_files_properties(${files} DIRECTORY ${target_dir}
        PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()
