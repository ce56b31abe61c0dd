koui_add_fuzzer(NAME fuzz_parser SOURCE ${CMAKE_CURRENT_LIST_DIR}/parser.cpp
                CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/parser)
