# Shared part of the MinGW-w64 toolchain files: set VEXA_MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR, then include this. Uses the win32 thread model
# compilers and links everything statically, so the programs need no MinGW DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VEXA_MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VEXA_MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${VEXA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
