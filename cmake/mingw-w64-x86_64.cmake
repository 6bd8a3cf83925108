# Cross-build for 64-bit Windows with Debian's MinGW-w64: the build the tests
# run under wine64 on a machine whose kernel runs no 32-bit program.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORPANE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
