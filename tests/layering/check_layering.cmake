cmake_minimum_required(VERSION 3.25)

# The layering of the folders, checked on every include of the product's sources: a folder
# includes only the folders below it, an engine's headers stay inside its folder, and no folder
# without windows names a Qt widget, GUI or print header (its target does not link them either).
#
#   cmake -DSOURCE_DIR=<repository> -P check_layering.cmake
#
# Prints each include against the layering and fails when there is one.

# Folder, then the folders its sources may include (besides its own).
set(LAYERS
    "platform|platform/tsql"
    "platform/tsql|platform"
    "platform/sqlite|platform platform/tsql"
    "platform/postgres|platform platform/tsql"
    "shell|platform"
    "records|platform shell"
    "widgets|platform shell"
    "reports/core|platform shell"
    "reports|platform shell records widgets reports/core"
    "pickers/core|"
    "pickers|platform shell records widgets pickers/core"
    "editor|platform shell records widgets pickers reports reports/core"
    "app|platform shell records widgets pickers pickers/core reports reports/core editor"
    "app/admin|platform shell pickers/core")
set(WINDOW_FOLDERS widgets reports pickers editor app)
set(ENGINES platform/sqlite platform/postgres)

set(violations "")
foreach(layer IN LISTS LAYERS)
    string(REPLACE "|" ";" parts "${layer}")
    list(GET parts 0 folder)
    list(LENGTH parts count)
    set(allowed ${folder})
    if(count GREATER 1)
        list(GET parts 1 below)
        string(REPLACE " " ";" below "${below}")
        list(APPEND allowed ${below})
    endif()
    file(GLOB sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
        file(STRINGS ${source} includes REGEX "^#include ")
        foreach(line IN LISTS includes)
            if(line MATCHES "^#include \"([^\"]+)/[^/\"]+\"")
                set(target ${CMAKE_MATCH_1})
                # An engine's folder is reached only from inside it.
                set(ok FALSE)
                foreach(candidate IN LISTS allowed)
                    if(target STREQUAL candidate)
                        set(ok TRUE)
                    endif()
                endforeach()
                list(FIND ENGINES ${target} engine)
                if(engine GREATER -1 AND NOT target STREQUAL folder)
                    set(ok FALSE)
                endif()
                if(NOT ok)
                    string(APPEND violations "${shown}: ${line}\n")
                endif()
            elseif(line MATCHES "^#include <Qt(Widgets|Gui|PrintSupport)/")
                string(REGEX MATCH "^[^/]+" top ${folder})
                list(FIND WINDOW_FOLDERS ${top} window)
                if(window EQUAL -1)
                    string(APPEND violations "${shown}: ${line} (a widget header outside the windows)\n")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

# A folder's target lists its files: a file's layer is where it stands, not what a pattern caught.
file(GLOB_RECURSE build_files ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/*/CMakeLists.txt ${SOURCE_DIR}/cmake/*.cmake)
foreach(build_file IN LISTS build_files)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${build_file})
    if(shown MATCHES "^build")
        continue()
    endif()
    file(STRINGS ${build_file} globs REGEX "file\\((GLOB|GLOB_RECURSE) ")
    if(globs)
        string(APPEND violations "${shown}: sources found by a pattern\n")
    endif()
endforeach()

if(violations)
    message(FATAL_ERROR "Includes against the layering:\n${violations}")
endif()
message(STATUS "Every include follows the layering.")
