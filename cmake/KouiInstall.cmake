# Install rules: headers under include/koui, the shared library, a CMake
# package (find_package(koui CONFIG) -> koui::ko-ui) and ko-ui.pc.

install(TARGETS ko-ui koui_glm EXPORT kouiTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# koui/platform/detail/ is the window layer's internal state; no installed
# header includes it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/koui DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h"
  PATTERN "detail" EXCLUDE)

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
# Cflags: what the installed headers need (they include GLM; its folder is
# named unless it is one the compiler searches anyway). The libraries behind
# libko-ui.so matter only for static linking: Libs.private.
set(KOUI_PC_GLM_CFLAGS "")
if(NOT KOUI_GLM_INCLUDE_DIR IN_LIST CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
  set(KOUI_PC_GLM_CFLAGS " -I${KOUI_GLM_INCLUDE_DIR}")
endif()
set(KOUI_PC_LIBS_PRIVATE "-lglfw -lGLEW -lGL -lfreetype")
foreach(lib ${DEFLATE_LIBRARIES})
  string(APPEND KOUI_PC_LIBS_PRIVATE " -l${lib}")
endforeach()
string(APPEND KOUI_PC_LIBS_PRIVATE " -pthread")
if(CMAKE_DL_LIBS)
  string(APPEND KOUI_PC_LIBS_PRIVATE " -l${CMAKE_DL_LIBS}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/ko-ui.pc.in ${PROJECT_BINARY_DIR}/ko-ui.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ko-ui.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(KOUI_BUILD_TOOLS)
  install(TARGETS ${KOUI_TOOL_TARGETS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
