koui_add_fuzzer(NAME fuzz_archive SOURCE ${CMAKE_CURRENT_LIST_DIR}/archive.cpp
                CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/archive)
