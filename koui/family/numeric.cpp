#include "koui/family/numeric.h"

#include <algorithm>
#include <cmath>

namespace ko::util {

float stClampSP(float value, float low, float high) {
    return std::max(low, std::min(value, high));
}

double stClampDP(double value, double low, double high) {
    return std::max(low, std::min(value, high));
}

double stEasyEasyDP(double current, double target, double factor, double epsilon) {
    if (!(factor > 1.0) || !std::isfinite(current)) return target;
    const double next = current + (target - current) / factor;
    if (std::fabs(target - next) < epsilon) return target;
    return next;
}

}  // namespace ko::util
