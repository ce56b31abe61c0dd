# Saved edit to changed frame, with file notifications and with polling.
koui_add_bench(NAME bench_reload SOURCES ${CMAKE_CURRENT_LIST_DIR}/reload.cpp LIBS GLEW::GLEW OpenGL::GL)
