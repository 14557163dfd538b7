# TolvexLibrary.cmake - tolvex_add_library(): a static library of the tree, laid out alike.
#
#   tolvex_add_library(<name> SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>])
#
# The library tolvex_<name> (alias tolvex::<name>) builds with the project's warnings; its
# public headers are in include/ beside the calling CMakeLists.txt, under tolvex/.
function(tolvex_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;PUBLIC;PRIVATE")
    add_library(tolvex_${name} STATIC ${arg_SOURCES})
    add_library(tolvex::${name} ALIAS tolvex_${name})
    target_include_directories(tolvex_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_compile_features(tolvex_${name} PUBLIC cxx_std_20)
    target_link_libraries(tolvex_${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
    tolvex_set_warnings(tolvex_${name})
endfunction()
