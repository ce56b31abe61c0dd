koui_add_fuzzer(NAME fuzz_classic SOURCE ${PROJECT_SOURCE_DIR}/fuzz/classic.cpp
                CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/classic)
