// Hexadecimal colour digits ("f80", "ff8800", "ff880080"), the text after a
// leading '#'.
#pragma once

#include "koui/export.h"

namespace ko::util {

// Reads `components` floats (3 or 4) into `rgba`, each scaled to 0..max.
// Accepted digit counts: 3 (rgb), 4 (rgba), 6 (rrggbb), 8 (rrggbbaa); digits
// are read up to the first byte that is not a hexadecimal digit. A colour
// without alpha gets alpha = max. Returns false (and leaves `rgba` alone) for
// any other count or a null argument.
KOUI_API bool stReadHexColor(float* rgba, const char* text, int components, float max);

}  // namespace ko::util
