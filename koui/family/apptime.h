// Monotonic time in seconds. Only differences are meaningful; the zero point
// is the first call in the process.
#pragma once

#include "koui/export.h"

namespace ko::util {

KOUI_API double appGetTime();

}  // namespace ko::util
