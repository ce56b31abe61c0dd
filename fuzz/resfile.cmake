koui_add_fuzzer(NAME fuzz_resfile SOURCE ${CMAKE_CURRENT_LIST_DIR}/resfile.cpp CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/resfile)
