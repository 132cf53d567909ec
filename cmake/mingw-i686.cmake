# Toolchain for the Windows build: 32-bit x86, MinGW-w64 (Debian's g++-mingw-w64-i686).
set(VEXA_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
