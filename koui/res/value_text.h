// Numbers read from a node's value text the way std::stoi and std::stof read
// them (base 10, leading blanks skipped, trailing text ignored), but without
// exceptions: text without digits or out of range gives false, so getters
// can fall back to their default.
#pragma once

#include <string>

#include "koui/export.h"

namespace koui::res {

KOUI_API bool valueToInt(const std::string& text, int& out);
KOUI_API bool valueToFloat(const std::string& text, float& out);

}  // namespace koui::res
