// Conversion of one reversed scanline to 8-bit RGBA: palette expansion, grey
// to RGB, tRNS to alpha, low bit depths scaled to the full byte range and
// 16-bit samples reduced to their high byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"
#include "koui/family/png_format.h"

namespace ko::png {

// Writes `count` pixels of the row `src` to `dst`, the first at dst[0], each
// next one `step` bytes further (4 for a plain row, 4 × the pass step for an
// Adam7 pass). Returns false when a palette index has no palette entry.
using RowConverter = bool (*)(const uint8_t* src, uint8_t* dst, size_t count, size_t step,
                              const PixelFormat& format);

// The converter for the format's colour type and bit depth.
KOUI_API RowConverter rowConverter(const PixelFormat& format);

}  // namespace ko::png
