koui_add_bench(NAME bench_parse SOURCES ${CMAKE_CURRENT_LIST_DIR}/parse.cpp ${CMAKE_CURRENT_LIST_DIR}/theme_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/heap_counter.cpp)
