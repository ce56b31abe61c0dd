// The toolkit's PNG decoder as this layer calls it: 8-bit RGBA out, rows top
// first, bpp 32 on success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace koui::res {
bool decodePng(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
               const uint8_t* data, size_t size);
}
