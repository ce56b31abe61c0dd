# PNG decoding: the toolkit's decoder against libpng on a generated corpus.
# libpng is the reference here and in the tests only; the library never links it.
find_package(PNG REQUIRED)
koui_add_bench(NAME bench_png
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/png.cpp ${CMAKE_CURRENT_LIST_DIR}/heap_counter.cpp ${PROJECT_SOURCE_DIR}/tests/family/libpng_reference.cpp
  LIBS PNG::PNG)
# stb_image (Debian libstb-dev) as a second peer when it is installed.
find_path(KOUI_STB_IMAGE_DIR stb_image.h PATH_SUFFIXES stb)
find_library(KOUI_STB_LIBRARY stb)
if(KOUI_STB_IMAGE_DIR AND KOUI_STB_LIBRARY)
  target_include_directories(bench_png SYSTEM PRIVATE ${KOUI_STB_IMAGE_DIR})
  target_link_libraries(bench_png PRIVATE ${KOUI_STB_LIBRARY})
  target_compile_definitions(bench_png PRIVATE KOUI_BENCH_STB=1)
else()
  message(STATUS "bench_png: stb_image not found (Debian libstb-dev), the stb column is left out")
endif()
