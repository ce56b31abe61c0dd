# Checks that the library's includes run down its layers (docs/architecture.md):
# a folder of koui/ may include its own headers and those of lower layers,
# never a higher one; GLFW is included only in koui/platform/.
#   cmake -DROOT=<source dir> -P check_layers.cmake
cmake_minimum_required(VERSION 3.20)
#
# Layers, bottom up. Folders on one line share a layer but do not include
# each other, except the element core and its host (ui and host), which know
# each other by design: an element finds its canvas and UI instance, the
# canvas holds elements.
set(layers
  "platform"
  "family"
  "res rm"
  "ui host"
  "widgets"
  "pz"
  "app")
set(peers "ui:host" "host:ui")

set(rank 0)
foreach(layer IN LISTS layers)
  string(REPLACE " " ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(rank_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/koui/*.h ${ROOT}/koui/*.cpp)
set(faults "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^koui/([^/]+)/" _ "${source}")
  set(from "${CMAKE_MATCH_1}")
  if(from STREQUAL "")
    continue()  # headers at the top of koui/ (the export macro) belong to no layer
  endif()
  if(NOT DEFINED rank_${from})
    list(APPEND faults "${source}: folder koui/${from}/ is in no layer")
    continue()
  endif()
  file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    if(line MATCHES "[<\"]GLFW/" AND NOT from STREQUAL "platform")
      list(APPEND faults "${source}: includes GLFW outside koui/platform/")
    endif()
    if(NOT line MATCHES "\"koui/([^/\"]+)/")
      continue()
    endif()
    set(to "${CMAKE_MATCH_1}")
    if(to STREQUAL from OR "${from}:${to}" IN_LIST peers)
      continue()
    endif()
    if(NOT DEFINED rank_${to})
      list(APPEND faults "${source}: includes koui/${to}/, which is in no layer")
    elseif(NOT rank_${to} LESS rank_${from})
      list(APPEND faults "${source}: koui/${from}/ may not include koui/${to}/ (${line})")
    endif()
  endforeach()
endforeach()

list(LENGTH sources count)
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Includes against the layers:\n${text}")
endif()
message(STATUS "${count} files of koui/ include only their own and lower layers")
