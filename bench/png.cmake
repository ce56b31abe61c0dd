# PNG decoding: the toolkit's decoder against libpng on a generated corpus.
# libpng is the reference here and in the tests only; the library never links it.
find_package(PNG REQUIRED)
koui_add_bench(NAME bench_png
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/png.cpp ${CMAKE_CURRENT_LIST_DIR}/heap_counter.cpp ${PROJECT_SOURCE_DIR}/tests/family/libpng_reference.cpp
  LIBS PNG::PNG)
