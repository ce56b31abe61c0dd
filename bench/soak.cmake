# Soak programs: long runs for figures (memory, threads, leaks), not tests.
# scripts/soak.sh builds and runs them.
foreach(soak soak_reload soak_windows)
  add_executable(${soak} ${CMAKE_CURRENT_LIST_DIR}/${soak}.cpp)
  koui_target_warnings(${soak})
  target_include_directories(${soak} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${soak} PRIVATE ko-ui GLEW::GLEW OpenGL::GL)
endforeach()
