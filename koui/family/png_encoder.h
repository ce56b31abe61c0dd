// The PNG encoder of the toolkit, the counterpart of png_decoder.h: 8-bit
// RGBA pixels to a PNG file, for screenshots and off-screen renderings.
//
// The image is written as colour type 6 (RGBA), bit depth 8, without
// interlacing, every row with filter type 0, the data compressed as one zlib
// stream. Files read back with decodePng give the same pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "koui/export.h"

namespace ko::png {

// The PNG file of width x height pixels, rows top first, 4 bytes a pixel.
// Empty for a size below 1 x 1, no pixels, or a failed compression.
KOUI_API std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgba);

// encodePng written to `path`. False (with an appmsg line saying why) when
// the image cannot be encoded or the file cannot be written in full.
KOUI_API bool writePng(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace ko::png
