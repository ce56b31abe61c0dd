# Start-up and idle cost of the hello example, measured on the real program
# (it needs an X display; scripts/bench.sh provides Xvfb when there is none).
if(KOUI_BUILD_EXAMPLES)
  koui_add_bench(NAME bench_hello SOURCES ${CMAKE_CURRENT_LIST_DIR}/hello.cpp)
  target_compile_definitions(bench_hello PRIVATE KOUI_HELLO_PATH="$<TARGET_FILE:hello>")
  add_dependencies(bench_hello hello)
endif()
