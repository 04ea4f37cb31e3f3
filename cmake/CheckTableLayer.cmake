# Fails when SQL text appears in a source file outside the table layer
# (src/core/db): feature code asks the tables for rows and changes and never
# writes a statement of its own. SQL keywords are looked for as statements
# write them (upper case), also on the continuation lines of a long literal.
#   cmake -DSOURCE_DIR=<repository> -P cmake/CheckTableLayer.cmake
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "Pass -DSOURCE_DIR=<repository>")
endif()

set(sql "SELECT [A-Za-z*\"[]|INSERT (OR [A-Z]+ )?INTO|UPDATE [A-Za-z\"[]|DELETE FROM")
string(APPEND sql "|PRAGMA [a-z_]|CREATE (TABLE|INDEX|UNIQUE)|ALTER TABLE|SAVEPOINT|ROLLBACK")
string(APPEND sql "|RELEASE [a-z]|ORDER BY|GROUP BY|WHERE [A-Za-z\"[]|VALUES ?\\(")
string(APPEND sql "|COLLATE NOCASE|LIMIT [0-9?]")

file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
list(SORT sources)
set(layer "${SOURCE_DIR}/src/core/db/")
set(found 0)
foreach(source IN LISTS sources)
    string(FIND "${source}" "${layer}" at)
    if(at EQUAL 0)
        continue()
    endif()
    file(STRINGS "${source}" lines REGEX "${sql}")
    foreach(line IN LISTS lines)
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
        string(STRIP "${line}" line)
        message(SEND_ERROR "${rel}: SQL outside the table layer: ${line}")
        math(EXPR found "${found} + 1")
    endforeach()
endforeach()

if(found GREATER 0)
    message(FATAL_ERROR "${found} line(s) of SQL outside src/core/db")
endif()
list(LENGTH sources count)
message(STATUS "${count} files, no SQL outside src/core/db")
