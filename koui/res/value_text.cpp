#include "koui/res/value_text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace koui::res {

bool valueToInt(const char* text, int& out) {
    const char* start = text;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

bool valueToFloat(const char* text, float& out) {
    const char* start = text;
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(start, &end);
    if (end == start || errno == ERANGE) return false;
    out = v;
    return true;
}

}  // namespace koui::res
