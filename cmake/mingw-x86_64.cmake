# Toolchain for a 64-bit build of the Windows programs, for hosts whose kernel
# cannot run 32-bit code and so cannot run 32-bit Wine (Debian's g++-mingw-w64-x86-64).
set(VEXA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
