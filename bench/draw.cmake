# Element drawing: one frame of 1000 styled elements into a 256 x 256 frame
# buffer, with the draw calls per frame. Needs an X display (xvfb-run).
koui_add_bench(NAME bench_draw SOURCES ${PROJECT_SOURCE_DIR}/bench/draw.cpp ${PROJECT_SOURCE_DIR}/bench/gl_window.cpp
  LIBS glfw GLEW::GLEW OpenGL::GL ${CMAKE_DL_LIBS})
# The bench counts GL draw calls by defining glDrawArrays and glBegin itself;
# exporting them lets the library's calls resolve to these counters.
set_target_properties(bench_draw PROPERTIES ENABLE_EXPORTS ON)
