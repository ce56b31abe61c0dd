koui_add_fuzzer(NAME fuzz_ini_file SOURCE ${PROJECT_SOURCE_DIR}/fuzz/ini_file.cpp
                CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/ini_file)
