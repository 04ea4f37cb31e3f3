# Compile settings shared by every target of the project, set once here.
include(${CMAKE_CURRENT_LIST_DIR}/UnityBuild.cmake)
add_library(tallvane_settings INTERFACE)
target_compile_definitions(tallvane_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER
    TALLVANE_VERSION="${PROJECT_VERSION}")
# LLVM's linker, when installed, links in about a quarter of the default's
# time; the tests alone are some seventy executables.
find_program(LLD_PROGRAM ld.lld)
if(LLD_PROGRAM)
    target_link_options(tallvane_settings INTERFACE -fuse-ld=lld)
endif()
target_compile_options(tallvane_settings INTERFACE
    -Wall -Wextra -pedantic-errors
    $<$<BOOL:${TALLVANE_WERROR}>:-Werror>)
# clang stamps a precompiled header with the times of the files it holds, and a
# fresh build tree writes its header list anew: ccache then never matched a
# header nor any file compiled with it. Without the stamp it matches both in a
# tree at the same path (one elsewhere still differs: the header holds its path).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(tallvane_settings INTERFACE "SHELL:-Xclang -fno-pch-timestamp")
endif()
if(TALLVANE_SANITIZE)
    target_compile_options(tallvane_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tallvane_settings INTERFACE -fsanitize=address,undefined)
endif()
if(TALLVANE_FUZZ)
    # The sanitizers that turn silent memory faults into findings, on everything.
    target_compile_options(tallvane_settings INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tallvane_settings INTERFACE -fsanitize=address,undefined)
    # libFuzzer's coverage instrumentation where it guides a fuzz target: the
    # core library and the targets themselves. The tests, the widgets and the
    # program never run under libFuzzer, and instrumenting them only made the
    # build slower.
    add_library(tallvane_fuzz_coverage INTERFACE)
    target_compile_options(tallvane_fuzz_coverage INTERFACE -fsanitize=fuzzer-no-link)
endif()
