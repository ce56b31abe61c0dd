koui_add_fuzzer(NAME fuzz_png SOURCE ${CMAKE_CURRENT_LIST_DIR}/png.cpp CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/png)
