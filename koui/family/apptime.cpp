#include "koui/family/apptime.h"

#include <chrono>

double appGetTime() {
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point start = Clock::now();
    return std::chrono::duration<double>(Clock::now() - start).count();
}
