// Reversal of the five PNG scanline filters, the decoder's hot loop.
//
// Each row is reversed as a whole by one routine chosen per row, so the inner
// loops carry no branch on the filter type. The routines keep the previous
// pixel's bytes in registers, one lane per byte of a pixel, so the serial
// dependency of Sub, Average and Paeth runs through registers rather than
// through the row just written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"

namespace ko::png {

enum FilterType : uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Reverses the filter of one row in place. `row` holds `length` bytes after
// the filter byte; `prior` the previous row of the same pass, already
// reversed (all zero for a pass's first row); `stride` the distance in bytes
// to the same byte of the previous pixel (1, 2, 3, 4, 6 or 8). `length` is a
// multiple of `stride`. False for an unknown filter type.
KOUI_API bool unfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length, unsigned stride);

// The Paeth predictor of the format: whichever of left, up and upper-left is
// nearest to left + up - upper-left, preferring left, then up.
inline uint8_t paethPredictor(int a, int b, int c) {
    const int pa = b > c ? b - c : c - b;
    const int pb = a > c ? a - c : c - a;
    const int pcRaw = a + b - 2 * c;
    const int pc = pcRaw < 0 ? -pcRaw : pcRaw;
    const int smallest = pa < pb ? (pa < pc ? pa : pc) : (pb < pc ? pb : pc);
    return static_cast<uint8_t>(pa == smallest ? a : (pb == smallest ? b : c));
}

}  // namespace ko::png
