# Warnings and sanitizers shared by every target of the project.

function(koui_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wformat=2
    # clang has no -Wshadow=local, and its -Wshadow also flags members.
    $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
endfunction()

if(KOUI_SANITIZE)
  message(STATUS "koui: sanitizers ${KOUI_SANITIZE}")
  add_compile_options(-fsanitize=${KOUI_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${KOUI_SANITIZE})
endif()

if(KOUI_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KOUI_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  # Coverage instrumentation for the library; the fuzz targets add the driver.
  # Undefined behaviour stops the run like a crash, so it is reported with its
  # input instead of scrolling past. The macro is libFuzzer's convention: the
  # code skips checksums a fuzzer cannot produce (PNG CRCs, zlib's Adler-32).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_compile_definitions(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
  add_link_options(-fsanitize=address,undefined)
endif()
