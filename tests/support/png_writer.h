// Writes 8-bit RGBA pixels (rows top first) as a PNG file, so that a failed
// GL test leaves a picture of its frame behind.
#pragma once

#include <cstdint>
#include <string>

namespace koui::test {

bool writePng(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace koui::test
