// The font the tests write with: DejaVu Sans from Debian's fonts-dejavu-core
// (installed by scripts/deps.sh), read from its system location.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace koui::test {

inline constexpr const char* kTestFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The bytes of the test font; empty when it is not installed.
inline std::vector<uint8_t> readTestFont() {
    std::ifstream in(kTestFontPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace koui::test
