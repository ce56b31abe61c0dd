# Lists the style keys the elements read and fails on each one that
# docs/style-keys.md does not name as a backticked word.
#   cmake -DROOT=<source dir> -P check_style_keys.cmake
# Keys are read in three ways: a path suffix appended to the style path
# (stylePath + ".thumb-image", also as a bare ".color-num" handed on), a key
# given to a lookup of the style node (has("x"), value1f("icon-scale", 1)),
# and the tooltip's fixed "!tooltip...." paths. GL uniform names (setUniform*)
# and callback names go to other calls and are not matched.
cmake_minimum_required(VERSION 3.20)

file(GLOB sources ${ROOT}/koui/ui/*.cpp ${ROOT}/koui/widgets/*.cpp ${ROOT}/koui/pz/*.cpp
     ${ROOT}/koui/host/canvas_tooltip.cpp)
set(lookups "has|val|getByName|splitNodeValue|value|value1i|value1f|font|color|colorvec4|readStyleColor\\(s,")
set(keys "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} lines REGEX "\"")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*//" OR line MATCHES "setUniform")
      continue()
    endif()
    string(REGEX MATCHALL "\"\\.[!A-Za-z0-9][!A-Za-z0-9._-]*\"" found "${line}")
    string(REGEX MATCHALL "(^|[^A-Za-z0-9_])(${lookups})\\( ?\"[^\"]+\"" calls "${line}")
    string(REGEX MATCHALL "\"!tooltip\\.[^\"]+\"" tips "${line}")
    foreach(item IN LISTS found calls tips)
      string(REGEX REPLACE "^[^\"]*\"\\.?([^\"]+)\"$" "\\1" key "${item}")
      list(APPEND keys "${key}")
    endforeach()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES keys)
list(LENGTH keys count)
if(count LESS 60)
  message(FATAL_ERROR "only ${count} style keys found in the code: the patterns no longer match it")
endif()

file(READ ${ROOT}/docs/style-keys.md doc)
set(missing "")
foreach(key IN LISTS keys)
  string(FIND "${doc}" "`${key}`" at)
  if(at EQUAL -1)
    list(APPEND missing "${key}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "docs/style-keys.md lacks these style keys the code reads:\n  ${text}")
endif()
message(STATUS "docs/style-keys.md names all ${count} style keys the code reads")
