# Plot frames: 10 000 and 100 000 scatter points with grid and rulers, beside
# the same points drawn by raw GL in one call. Needs an X display (xvfb-run).
koui_add_bench(NAME bench_plot SOURCES ${CMAKE_CURRENT_LIST_DIR}/plot.cpp ${CMAKE_CURRENT_LIST_DIR}/gl_window.cpp
  LIBS glfw GLEW::GLEW OpenGL::GL ${CMAKE_DL_LIBS})
