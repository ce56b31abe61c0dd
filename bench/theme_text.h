// The theme text the parse benchmarks load: a deterministic definition file
// of nested style blocks, colours in every form, fonts, image sources with
// sections, quoted texts, comments and raw arrangement programs.
#pragma once

#include <cstddef>
#include <string>

namespace koui::bench {

// At least `targetBytes` of theme text, the same on every call.
std::string makeThemeText(std::size_t targetBytes);

}  // namespace koui::bench
