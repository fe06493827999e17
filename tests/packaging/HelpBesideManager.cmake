# Run as a script (cmake -DBUILD=<build folder> -DHELP=<built help file> -P HelpBesideManager.cmake),
# it fails when a Velmora.exe the build made has no help file beside it, or another one than the
# build's: Help opens the file with the program's name and the ending ".chm" beside the program.
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${HELP}")
    message(FATAL_ERROR "the help file ${HELP} was not built")
endif()
file(SHA256 "${HELP}" built)
# Symbolic links are not followed: a Wine prefix's drives lead to the whole file system. Programs
# installed into a prefix are the installer's, which its own test checks.
file(GLOB_RECURSE managers "${BUILD}/*Velmora.exe")
list(FILTER managers INCLUDE REGEX "/Velmora\\.exe$")
list(FILTER managers EXCLUDE REGEX "/drive_c/")
if(NOT managers)
    message(FATAL_ERROR "no Velmora.exe under ${BUILD}")
endif()
foreach(manager IN LISTS managers)
    string(REGEX REPLACE "\\.exe$" ".chm" help "${manager}")
    if(NOT EXISTS "${help}")
        message(SEND_ERROR "${manager} has no help file beside it: ${help}")
        continue()
    endif()
    file(SHA256 "${help}" beside)
    if(NOT beside STREQUAL built)
        message(SEND_ERROR "${help} is not the built help file ${HELP}")
    endif()
    message(STATUS "${help}")
endforeach()
