// Monotonic time in seconds. Only differences are meaningful; the zero point
// is the first call in the process.
#pragma once

namespace ko::util {

double appGetTime();

}  // namespace ko::util
