# TolvexTesting.cmake - GoogleTest through CTest, and tolvex_add_test() for one test program.
enable_testing()

find_package(GTest QUIET)
set(TOLVEX_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT GTest_FOUND AND NOT EXISTS ${TOLVEX_GTEST_SOURCE_DIR}/CMakeLists.txt)
    # The programs build without it (as on a Windows machine with only a compiler).
    message(WARNING "GoogleTest not found: the tests are not built. Install libgtest-dev, or "
                    "point TOLVEX_GTEST_SOURCE_DIR at GoogleTest's sources.")
    set(TOLVEX_BUILD_TESTS OFF)
    return()
endif()
if(NOT GTest_FOUND)
    # A cross build finds no GoogleTest for its target; build it from Debian's source copy.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(${TOLVEX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    # GoogleTest 1.11 and later define these names themselves.
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
        add_library(GTest::gmock ALIAS gmock)
    endif()
endif()

# Seconds a test may run before CTest kills it, also on a two-core machine whose cores are all
# busy with other work; a test that needs longer says so itself.
set(TOLVEX_TEST_TIMEOUT 300 CACHE STRING "Default time limit of one test, in seconds")

# tolvex_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#                 [TIMEOUT <seconds>])
# One executable per module under test, registered as one CTest test. A cross build runs it
# through CMAKE_CROSSCOMPILING_EMULATOR (Wine for the Windows build).
function(tolvex_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT ${TOLVEX_TEST_TIMEOUT})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    tolvex_set_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
