// Clamping and the easing step used by every animation of the toolkit.
#pragma once

#include "koui/export.h"

namespace ko::util {

KOUI_API float stClampSP(float value, float low, float high);
KOUI_API double stClampDP(double value, double low, double high);

// One step of an animated value towards `target`.
//
// The curve is an exponential approach: each step covers 1/factor of the
// remaining distance (factor 10 covers a tenth per cycle, so fast animations
// use small factors). Once the distance left after a step is below `epsilon`
// the step returns `target` exactly, so a value stored back each cycle
// reaches the target in a finite number of cycles and then stays there.
// A factor of 1 or less jumps to the target at once.
KOUI_API double stEasyEasyDP(double current, double target, double factor, double epsilon);

}  // namespace ko::util
