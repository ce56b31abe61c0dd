#include "koui/res/color.h"

#include <array>
#include <cctype>

namespace koui::res {

namespace {
constexpr std::array<std::string_view, 6> kColorFunctions = {"rgb", "rgbf", "rgba", "rgbaf", "hsl", "hsla"};
}  // namespace

bool Color::isColorFunction(std::string_view functionName) {
    for (std::string_view f : kColorFunctions)
        if (f == functionName) return true;
    return false;
}

bool Color::isClass(const Node* node) {
    if (!node) return false;
    if (node->hasFunc()) return isColorFunction(node->func);
    const std::string& v = node->valueText;
    if (v.empty() || v[0] != '#') return false;
    size_t digits = 0;
    while (1 + digits < v.size() && std::isxdigit(static_cast<unsigned char>(v[1 + digits]))) ++digits;
    return digits == 3 || digits == 6;
}

}  // namespace koui::res
