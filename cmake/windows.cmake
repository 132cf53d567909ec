# The Windows tree, built with MinGW-w64 (see mingw-i686.cmake): the Win32 code,
# the programs and the Windows-side tests. Every program lands in bin/, where the
# native tree's Wine tests (tests/win32/wine_tests.cmake) look for them.
# The ANSI Win32 API is used throughout: UNICODE is never defined.
enable_language(RC)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Win32 code: every *_win32.cpp, over the platform-free vexa_core.
file(GLOB VEXA_WIN32_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/hexedit/*_win32.cpp ${CMAKE_SOURCE_DIR}/composer/*_win32.cpp)
add_library(vexa_win32 STATIC ${VEXA_WIN32_SOURCES})
target_link_libraries(vexa_win32 PUBLIC vexa_core user32 gdi32)

# GoogleTest for Windows, built from the sources Debian's libgtest-dev ships.
set(VEXA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${VEXA_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
# The win32 thread model's libstdc++ has no std::mutex, which GoogleTest's
# Notification needs: give it one that does without.
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC
  "SHELL:-include ${CMAKE_SOURCE_DIR}/tests/win32/gtest_notification.h")

# Windows-side tests: console programs that drive real windows through the
# Win32 API. Each one needs an entry in tests/win32/wine_tests.cmake to run.
file(GLOB VEXA_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
add_executable(vexa_win32_tests ${VEXA_WIN32_TEST_SOURCES})
target_link_libraries(vexa_win32_tests PRIVATE vexa_win32 gtest gtest_main)

# A dialog with one six-byte editor, for looking at the control by eye.
add_executable(hex_edit_demo WIN32 ${CMAKE_SOURCE_DIR}/tests/win32/hex_edit_demo.cpp
  ${CMAKE_SOURCE_DIR}/tests/win32/hex_edit_demo.rc)
target_link_libraries(hex_edit_demo PRIVATE vexa_win32)
