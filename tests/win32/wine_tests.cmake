# Windows-side tests in the native tree: programs of the Windows tree
# (VEXA_WINDOWS_BUILD_DIR/bin, see cmake/windows.cmake) run under Wine on a
# virtual X display by scripts/wine-run.sh, in a Wine prefix under this build
# tree. The Makefile sets VEXA_WINDOWS_BUILD_DIR; without it there are none.
if(NOT VEXA_WINDOWS_BUILD_DIR)
  return()
endif()

set(VEXA_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
set(VEXA_WINE_PREFIX_ROOT ${CMAKE_BINARY_DIR}/wine)
set(VEXA_WINDOWS_BIN ${VEXA_WINDOWS_BUILD_DIR}/bin)

# Creates the prefix (wineboot) before the first Wine test: slow on a first start.
# The program only tells the prefix which architecture it needs.
add_test(NAME wine.prefix
  COMMAND ${VEXA_WINE_RUN} --headless --prepare-only ${VEXA_WINE_PREFIX_ROOT} ${VEXA_WINDOWS_BIN}/vexa_win32_tests.exe)
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix RESOURCE_LOCK wine TIMEOUT 900 LABELS wine)

# Runs VEXA_WINDOWS_BIN/<program> [args...] under Wine as the test <name>; a
# non-zero exit code fails it. Wine tests run one at a time.
function(vexa_add_wine_test name program)
  add_test(NAME ${name}
    COMMAND ${VEXA_WINE_RUN} --headless ${VEXA_WINE_PREFIX_ROOT} ${VEXA_WINDOWS_BIN}/${program} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine TIMEOUT 600 LABELS wine)
endfunction()

vexa_add_wine_test(wine.win32_tests vexa_win32_tests.exe)
