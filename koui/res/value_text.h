// Numbers read from a node's value text the way std::stoi and std::stof read
// them (base 10, leading blanks skipped, trailing text ignored), but without
// exceptions: text without digits or out of range gives false, so getters
// can fall back to their default.
#pragma once

#include <string>

#include "koui/export.h"
#include "koui/res/node_text.h"

namespace koui::res {

// `text` zero-terminated.
KOUI_API bool valueToInt(const char* text, int& out);
KOUI_API bool valueToFloat(const char* text, float& out);
inline bool valueToInt(const std::string& text, int& out) {
    return valueToInt(text.c_str(), out);
}
inline bool valueToFloat(const std::string& text, float& out) {
    return valueToFloat(text.c_str(), out);
}
inline bool valueToInt(const NodeText& text, int& out) {
    return valueToInt(text.c_str(), out);
}
inline bool valueToFloat(const NodeText& text, float& out) {
    return valueToFloat(text.c_str(), out);
}

}  // namespace koui::res
