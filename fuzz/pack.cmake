koui_add_fuzzer(NAME fuzz_pack SOURCE ${CMAKE_CURRENT_LIST_DIR}/pack.cpp CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/pack)
target_sources(fuzz_pack PRIVATE ${PROJECT_SOURCE_DIR}/tools/koui-pack/pack.cpp)
