# `cmake --install`: the library (libvexa.a), the public headers under
# include/vexa/ with their paths kept, vexa-decode (tools/CMakeLists.txt), a
# CMake package whose find_package(vexa) gives the target vexa::vexa, and
# vexa.pc for pkg-config. A consumer puts include/vexa on its include path and
# includes "decoder/decoder.h", "formatter/instruction_text.h" and so on, as the
# sources do. Both package files find the prefix from where they lie, so an
# installed tree can be moved. (GNUInstallDirs is included by the top level.)
include(CMakePackageConfigHelpers)

set_target_properties(vexa_core PROPERTIES OUTPUT_NAME vexa EXPORT_NAME vexa)
install(TARGETS vexa_core EXPORT vexaTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(header ${VEXA_PUBLIC_HEADERS})
  get_filename_component(directory ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vexa/${directory})
endforeach()

set(VEXA_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vexa)
install(EXPORT vexaTargets NAMESPACE vexa:: DESTINATION ${VEXA_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vexaConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/vexaConfig.cmake INSTALL_DESTINATION ${VEXA_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/vexaConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/vexaConfig.cmake ${CMAKE_BINARY_DIR}/package/vexaConfigVersion.cmake
  DESTINATION ${VEXA_PACKAGE_DIR})

file(RELATIVE_PATH VEXA_PC_PREFIX_FROM_PCFILEDIR
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VEXA_PC_PREFIX_FROM_PCFILEDIR "${VEXA_PC_PREFIX_FROM_PCFILEDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vexa.pc.in ${CMAKE_BINARY_DIR}/package/vexa.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/vexa.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
