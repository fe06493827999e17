# Run as a script (cmake -DROOT=<source root> -P TestSources.cmake), it fails when a .cpp file under
# tests/, fuzz/ or bench/ is named by no CMakeLists.txt or .cmake file of the tree: a test that no
# target compiles never runs, and nobody notices.
cmake_minimum_required(VERSION 3.25)

if(NOT IS_DIRECTORY "${ROOT}/tests")
    message(FATAL_ERROR "no source tree at ${ROOT}")
endif()

# Every .cpp a CMake file names, as a path from the root: a name relative to the file's own
# folder, or one that starts with the source root's or the current folder's variable.
file(GLOB_RECURSE cmake_files RELATIVE "${ROOT}" "${ROOT}/CMakeLists.txt" "${ROOT}/*/CMakeLists.txt"
    "${ROOT}/*.cmake")
list(FILTER cmake_files EXCLUDE REGEX "^(build|\\.git)/")
set(named "")
foreach(cmake_file IN LISTS cmake_files)
    get_filename_component(folder "${cmake_file}" DIRECTORY)
    if(folder)
        set(folder "${folder}/")
    endif()
    file(READ "${ROOT}/${cmake_file}" content)
    # A name in a comment compiles nothing.
    string(REGEX REPLACE "#[^\n]*" "" content "${content}")
    # An open bracket would keep the list of names below from splitting at its semicolons.
    string(REGEX REPLACE "[][;]" " " content "${content}")
    string(REGEX MATCHALL "[^ \t\r\n()\"]+\\.cpp" tokens "${content}")
    foreach(token IN LISTS tokens)
        if(token MATCHES "^\\$\\{CMAKE_SOURCE_DIR\\}/(.+)$")
            list(APPEND named "${CMAKE_MATCH_1}")
        elseif(token MATCHES "^\\$\\{CMAKE_CURRENT_SOURCE_DIR\\}/(.+)$")
            list(APPEND named "${folder}${CMAKE_MATCH_1}")
        elseif(NOT token MATCHES "^[$/]")
            list(APPEND named "${folder}${token}")
        endif()
    endforeach()
endforeach()

file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/tests/*.cpp" "${ROOT}/fuzz/*.cpp" "${ROOT}/bench/*.cpp")
list(LENGTH sources count)
set(unnamed 0)
foreach(source IN LISTS sources)
    if(NOT source IN_LIST named)
        message(SEND_ERROR "${source} is compiled by no target: name it in a CMakeLists.txt")
        math(EXPR unnamed "${unnamed} + 1")
    endif()
endforeach()
message(STATUS "${count} sources under tests/, fuzz/ and bench/; ${unnamed} named by no CMake file")
