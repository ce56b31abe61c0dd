# Script for the install_consumer test (see CMakeLists.txt beside it).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${STAGE} ${WORK})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE})
file(GLOB_RECURSE DETAIL_HEADERS ${STAGE}/include/koui/platform/detail/*)
if(DETAIL_HEADERS)
  message(FATAL_ERROR "internal headers installed: ${DETAIL_HEADERS}")
endif()

set(SAN_FLAGS "")
if(SANITIZE)
  set(SAN_FLAGS "-fsanitize=${SANITIZE}")
endif()

# The getting-started program (the hello example) with the build file of
# the guide, built both ways below and run headless on the example's theme.
file(COPY ${CONSUMER_SRC}/CMakeLists.txt ${HELLO_SRC}/main.cpp DESTINATION ${WORK}/src)
function(run_hello exe)
  run(${exe} --res ${HELLO_SRC}/resdata --frames 3 --screenshot ${WORK}/hello.png)
  if(NOT LAST_OUTPUT MATCHES "screenshot: ")
    message(FATAL_ERROR "unexpected output of ${exe}: ${LAST_OUTPUT}")
  endif()
endfunction()

# 1. CMake package.
run(${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/cmake -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${STAGE}
    -DCMAKE_CXX_FLAGS=${SAN_FLAGS} -DCMAKE_EXE_LINKER_FLAGS=${SAN_FLAGS})
run(${CMAKE_COMMAND} --build ${WORK}/cmake)
run_hello(${WORK}/cmake/hello)

# 2. pkg-config.
file(GLOB_RECURSE PC_FILE ${STAGE}/*/ko-ui.pc)
get_filename_component(PC_DIR ${PC_FILE} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${PC_DIR})
run(pkg-config --cflags --libs ko-ui)
string(STRIP "${LAST_OUTPUT}" PC_FLAGS)
separate_arguments(PC_FLAGS UNIX_COMMAND "${PC_FLAGS}")
file(MAKE_DIRECTORY ${WORK}/pc)
run(${CXX} ${SAN_FLAGS} ${WORK}/src/main.cpp -o ${WORK}/pc/hello ${PC_FLAGS} -Wl,-rpath,${PC_DIR}/..)
run_hello(${WORK}/pc/hello)

# 3. add_subdirectory from another project: configured only (building would
# compile the library once more); the project checks that ko-ui's own
# tests, benchmarks, tools, examples and fuzz targets are off.
run(${CMAKE_COMMAND} -S ${CONSUMER_SRC}/../subproject -B ${WORK}/subproject -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DKOUI_SOURCE_DIR=${SOURCE_DIR})
