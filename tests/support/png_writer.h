// Writes 8-bit RGBA pixels (rows top first) as a PNG file, so that a failed
// GL test leaves a picture of its frame behind.
#pragma once

#include <cstdint>
#include <string>

#include "koui/family/png_encoder.h"

namespace koui::test {

inline bool writePng(const std::string& path, int width, int height, const uint8_t* rgba) {
    return ko::png::writePng(path, width, height, rgba);
}

}  // namespace koui::test
