# Script for the exported_symbols test: lists the defined dynamic symbols of
# LIB (demangled) and fails on any outside koui:: and ko::, naming them.
execute_process(COMMAND ${NM} -D --defined-only -C ${LIB}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIB}: ${err}")
endif()
string(REPLACE ";" "\\;" out "${out}")
string(REPLACE "\n" ";" lines "${out}")
set(count 0)
set(bad "")
foreach(line IN LISTS lines)
  # "<address> <type> <name>"
  if(NOT line MATCHES "^[0-9a-fA-F]+ [A-Za-z] (.+)$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  # Section bounds that the linker defines in every shared library, and the
  # marker that the address sanitizer adds for each of our exported variables.
  if(name MATCHES "^(_edata|_end|__bss_start|_init|_fini)$" OR
     name MATCHES "^__odr_asan\\._ZN(2ko|4koui)[0-9]")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  string(REGEX REPLACE "^(typeinfo name for|typeinfo for|vtable for|construction vtable for|VTT for|guard variable for|non-virtual thunk to|virtual thunk to|covariant return thunk to) " "" entity "${name}")
  if(NOT entity MATCHES "^(koui|ko)::")
    string(APPEND bad "  ${name}\n")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no dynamic symbols found in ${LIB}")
endif()
if(bad)
  message(FATAL_ERROR "symbols outside koui:: and ko:: exported by ${LIB}:\n${bad}")
endif()
message(STATUS "${count} dynamic symbols, all in koui:: or ko::")
