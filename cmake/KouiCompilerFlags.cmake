# Warnings and sanitizers shared by every target of the project.

function(koui_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Wformat=2)
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
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
