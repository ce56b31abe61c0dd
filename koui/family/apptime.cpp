#include "koui/family/apptime.h"

#include <chrono>

namespace ko::util {

double appGetTime() {
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point start = Clock::now();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace ko::util
