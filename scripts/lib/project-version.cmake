# project-version.cmake - prints the version the top-level CMakeLists.txt gives project():
# cmake -P scripts/lib/project-version.cmake
file(READ ${CMAKE_CURRENT_LIST_DIR}/../../CMakeLists.txt top)
if(NOT top MATCHES "(^|\n)[ \t]*project\\(([^)]*)\\)")
    message(FATAL_ERROR "no project() in the top-level CMakeLists.txt")
endif()
# The arguments as CMake itself splits them, quoted description and all.
function(tolvex_project_arguments name)
    cmake_parse_arguments(ARG "" "VERSION;DESCRIPTION;HOMEPAGE_URL" "LANGUAGES" ${ARGN})
    set(version ${ARG_VERSION} PARENT_SCOPE)
endfunction()
cmake_language(EVAL CODE "tolvex_project_arguments(${CMAKE_MATCH_2})")
if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)*$")
    message(FATAL_ERROR "project() gives no version, or not one of numbers: '${version}'")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${version})
