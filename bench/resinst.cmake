koui_add_bench(NAME bench_resinst SOURCES ${CMAKE_CURRENT_LIST_DIR}/resinst.cpp)
