koui_add_bench(NAME bench_element SOURCES ${CMAKE_CURRENT_LIST_DIR}/element.cpp ${CMAKE_CURRENT_LIST_DIR}/heap_counter.cpp)
