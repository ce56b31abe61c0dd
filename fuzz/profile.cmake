koui_add_fuzzer(NAME fuzz_profile SOURCE ${CMAKE_CURRENT_LIST_DIR}/profile.cpp
                CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/profile)
