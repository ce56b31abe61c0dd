# Lists the style keys the elements read and fails on each one that
# docs/style-keys.md does not name as a backticked word.
#   cmake -DROOT=<source dir> -P check_style_keys.cmake
# Keys are read in three ways: a path suffix appended to the style path
# (stylePath + ".thumb-image", also as a bare ".color-num" handed on), a key
# given to a lookup of the style node (has("x"), value1f("icon-scale", 1)),
# the tooltip's fixed "!tooltip...." paths, and keys numbered by a level
# (below). GL uniform names (setUniform*)
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
# Keys numbered by a level: a format "%s.<path>%d%s" (style path, level,
# suffix) with the suffixes handed to it as a last argument ("-font"), for
# the levels 0 to kLevels - 1. The manual names each as `<path><d><suffix>`
# together with its first and last `<word><level><suffix>`.
file(STRINGS ${ROOT}/koui/ui/arrange_program.h levels REGEX "kLevels = [0-9]+")
string(REGEX REPLACE ".*kLevels = ([0-9]+).*" "\\1" levels "${levels}")
math(EXPR last "${levels} - 1")
foreach(source IN LISTS sources)
  file(READ ${source} text)
  string(REGEX MATCHALL "\"%s\\.[!A-Za-z0-9._-]+%d%s\"" formats "${text}")
  string(REGEX MATCHALL ", \"-[a-z-]+\"\\)" suffixes "${text}")
  foreach(format IN LISTS formats)
    string(REGEX REPLACE "^\"%s\\.(.+)%d%s\"$" "\\1" path "${format}")
    string(REGEX REPLACE "^.*\\." "" word "${path}")
    foreach(suffix IN LISTS suffixes)
      string(REGEX REPLACE "^, \"(.+)\"\\)$" "\\1" suffix "${suffix}")
      list(APPEND keys "${path}<d>${suffix}" "${word}0${suffix}" "${word}${last}${suffix}")
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
