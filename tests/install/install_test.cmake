# The tree's install, as a consumer sees it: tests/install/install_test.sh
# installs this build tree into a prefix under it and builds consumer.cpp there
# with find_package(vexa) and with pkg-config.
set(VEXA_INSTALL_TEST_TOOL "")
if(TARGET vexa-decode)
  set(VEXA_INSTALL_TEST_TOOL vexa-decode)
endif()
add_test(NAME install_consumer
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/install-test
          ${CMAKE_COMMAND} ${CMAKE_CXX_COMPILER} ${VEXA_INSTALL_TEST_TOOL})
set_tests_properties(install_consumer PROPERTIES TIMEOUT 300 LABELS install)
