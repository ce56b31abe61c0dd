# Start-up and idle cost of the hello example, measured on the real program
# (it needs an X display; scripts/bench.sh provides Xvfb when there is none),
# against a bare GLFW program that swaps one frame.
if(KOUI_BUILD_EXAMPLES)
  add_executable(raw_gl_window ${CMAKE_CURRENT_LIST_DIR}/raw_gl_window.cpp)
  koui_target_warnings(raw_gl_window)
  target_link_libraries(raw_gl_window PRIVATE glfw OpenGL::GL)
  koui_add_bench(NAME bench_hello SOURCES ${CMAKE_CURRENT_LIST_DIR}/hello.cpp)
  target_compile_definitions(bench_hello PRIVATE KOUI_HELLO_PATH="$<TARGET_FILE:hello>"
                                                 KOUI_RAW_GL_PATH="$<TARGET_FILE:raw_gl_window>")
  add_dependencies(bench_hello hello raw_gl_window)
endif()
