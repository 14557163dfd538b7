# mingw-w64-x86_64.cmake - cross build for 64-bit Windows with mingw-w64; programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_tolvex_triplet x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model of GCC 12 lacks.
# With -static (top-level CMakeLists.txt) its threading library is linked in like the rest of
# the runtime.
set(CMAKE_C_COMPILER ${_tolvex_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_tolvex_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_tolvex_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_tolvex_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the test programs through Wine, in a prefix of this build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
