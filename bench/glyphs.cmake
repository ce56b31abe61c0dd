# Glyph layout speed and draw calls per frame of text.
koui_add_bench(NAME bench_glyphs SOURCES ${PROJECT_SOURCE_DIR}/bench/glyphs.cpp ${PROJECT_SOURCE_DIR}/bench/gl_window.cpp
  LIBS glfw GLEW::GLEW OpenGL::GL)
