# Install rules: headers under include/koui, the shared library, a CMake
# package (find_package(koui CONFIG) -> koui::ko-ui) and ko-ui.pc.

install(TARGETS ko-ui koui_glm EXPORT kouiTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/koui DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

set(KOUI_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/koui)
install(EXPORT kouiTargets NAMESPACE koui:: DESTINATION ${KOUI_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/koui-config.cmake.in
  ${PROJECT_BINARY_DIR}/koui-config.cmake INSTALL_DESTINATION ${KOUI_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/koui-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/koui-config.cmake ${PROJECT_BINARY_DIR}/koui-config-version.cmake
  DESTINATION ${KOUI_CMAKE_DIR})

# The .pc file finds its prefix relative to itself so that a staged or
# relocated install (cmake --install --prefix DIR) stays usable.
file(RELATIVE_PATH KOUI_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" KOUI_PC_TO_PREFIX "${KOUI_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ko-ui.pc.in ${PROJECT_BINARY_DIR}/ko-ui.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ko-ui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(KOUI_BUILD_TOOLS)
  install(TARGETS ${KOUI_TOOL_TARGETS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
