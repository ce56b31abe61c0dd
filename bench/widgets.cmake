# Widget frames: static texts (styled and classic) and buttons drawn by the
# canvas, with the heap allocations per frame. Needs an X display (xvfb-run).
koui_add_bench(NAME bench_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets.cpp ${CMAKE_CURRENT_LIST_DIR}/gl_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/alloc_origin.cpp
  LIBS glfw GLEW::GLEW OpenGL::GL ${CMAKE_DL_LIBS})
