# What both MinGW-w64 toolchain files share: Debian's cross compilers for
# VORPANE_MINGW_TRIPLET with posix threads (which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORPANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORPANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORPANE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORPANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No runtime DLLs beside the executables: everything of the compiler's own
# is linked in, so the programs run wherever Windows (or Wine) does.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
