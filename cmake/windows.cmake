# The Windows tree, cross-built with MinGW-w64 (see mingw-i686.cmake) or built on
# Windows itself with MSVC or MinGW: the Win32 code, the programs and the
# Windows-side tests. Every program lands in bin/, where the
# native tree's Wine tests (tests/win32/wine_tests.cmake) look for them.
# The ANSI Win32 API is used throughout: UNICODE is never defined.
enable_language(RC)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Win32 code over the platform-free vexa_core: the hex byte editor control and
# the workbench dialog, alphabetical; the program entry apart.
set(VEXA_WIN_MAIN ${CMAKE_SOURCE_DIR}/composer/dialog/win_main_win32.cpp)
set(VEXA_WIN32_SOURCES
  ${CMAKE_SOURCE_DIR}/composer/dialog/composer_dialog_win32.cpp
  ${CMAKE_SOURCE_DIR}/composer/dialog/dialog_view_win32.cpp
  ${CMAKE_SOURCE_DIR}/hexedit/hex_edit_control_win32.cpp)
add_library(vexa_win32 STATIC ${VEXA_WIN32_SOURCES})
target_link_libraries(vexa_win32 PUBLIC vexa_core user32 gdi32 comctl32)

# The dialog template and the application manifest, linked into every program
# that opens the workbench dialog. The manifest names the target's processor
# architecture, which the system checks when it loads the Common Controls.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VEXA_MANIFEST_ARCH amd64)
else()
  set(VEXA_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_SOURCE_DIR}/resources/vexa.manifest.in ${CMAKE_BINARY_DIR}/resources/vexa.manifest @ONLY)
add_library(vexa_resources OBJECT ${CMAKE_SOURCE_DIR}/resources/vexa.rc)
target_include_directories(vexa_resources PRIVATE ${CMAKE_BINARY_DIR}/resources ${CMAKE_SOURCE_DIR}/resources)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/vexa.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/resources/vexa.manifest;${CMAKE_SOURCE_DIR}/resources/resource.h")

# The workbench: a GUI program, statically linked (the cross toolchain files
# link everything statically; so does a MinGW build on Windows).
add_executable(vexa WIN32 ${VEXA_WIN_MAIN} $<TARGET_OBJECTS:vexa_resources>)
target_link_libraries(vexa PRIVATE vexa_win32)
if(MINGW)
  target_link_options(vexa PRIVATE -static)
endif()
if(MSVC)
  # The manifest comes from vexa.rc; the linker must not add one of its own.
  target_link_options(vexa PRIVATE /MANIFEST:NO)
endif()

# GoogleTest for Windows, built from the sources Debian's libgtest-dev ships.
set(VEXA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
if(NOT VEXA_BUILD_WIN32_TESTS)
  message(STATUS "VEXA_BUILD_WIN32_TESTS is off: no Windows-side tests")
elseif(EXISTS ${VEXA_GOOGLETEST_SOURCE}/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${VEXA_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL)
  if(MINGW)
    # The win32 thread model's libstdc++ has no std::mutex, which GoogleTest's
    # Notification needs: give it one that does without.
    target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
    target_compile_options(gtest PUBLIC
      "SHELL:-include ${CMAKE_SOURCE_DIR}/tests/win32/gtest_notification.h")
  endif()

  # Windows-side tests: console programs that drive real windows through the
  # Win32 API. Each one needs an entry in tests/win32/wine_tests.cmake to run.
  # They open the workbench dialog from the program's own template, and start
  # vexa.exe beside them.
  set(VEXA_WIN32_TEST_SOURCES
    ${CMAKE_SOURCE_DIR}/tests/win32/hex_edit_control_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/win32/workbench_dialog_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/win32/workbench_layout_test.cpp
    ${CMAKE_SOURCE_DIR}/tests/win32/workbench_program_test.cpp)
  add_executable(vexa_win32_tests ${VEXA_WIN32_TEST_SOURCES} $<TARGET_OBJECTS:vexa_resources>)
  target_link_libraries(vexa_win32_tests PRIVATE vexa_win32 gtest gtest_main)
  add_dependencies(vexa_win32_tests vexa)
  if(MSVC)
    target_link_options(vexa_win32_tests PRIVATE /MANIFEST:NO)
  endif()
else()
  message(STATUS "No GoogleTest sources in ${VEXA_GOOGLETEST_SOURCE}: no Windows-side tests")
endif()

# A dialog with one six-byte editor, for looking at the control by eye.
add_executable(hex_edit_demo WIN32 ${CMAKE_SOURCE_DIR}/tests/win32/hex_edit_demo.cpp
  ${CMAKE_SOURCE_DIR}/tests/win32/hex_edit_demo.rc)
target_link_libraries(hex_edit_demo PRIVATE vexa_win32)

# Sets up the running workbench and captures its window for the README's picture
# (scripts/screenshot.sh, `make screenshot`).
add_executable(workbench_pose ${CMAKE_SOURCE_DIR}/tests/win32/workbench_pose.cpp)
target_link_libraries(workbench_pose PRIVATE user32 gdi32)
