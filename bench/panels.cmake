# The peer-comparison frame: N panels with a heading each in a 256 x 256
# window, drawing-thread CPU per frame. Needs an X display (xvfb-run).
koui_add_bench(NAME bench_panels SOURCES ${CMAKE_CURRENT_LIST_DIR}/panels.cpp ${CMAKE_CURRENT_LIST_DIR}/gl_window.cpp
  LIBS glfw GLEW::GLEW OpenGL::GL ${CMAKE_DL_LIBS})
# Exported so that the library's glDrawArrays calls land in the counter.
set_target_properties(bench_panels PROPERTIES ENABLE_EXPORTS ON)
