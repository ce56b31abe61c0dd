// Shared pieces of the PNG decoder: the image header, the pixel format that
// turns samples into RGBA, and the geometry of scanlines and Adam7 passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"

namespace ko::png {

enum ColorType : uint8_t {
    kGrey = 0,
    kRgb = 2,
    kPalette = 3,
    kGreyAlpha = 4,
    kRgba = 6,
};

// The largest image the decoder accepts, in pixels. Its RGBA output is then at
// most 1 GiB, and the check comes before any allocation.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

struct KOUI_API Header {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colorType = 0;
    uint8_t interlace = 0;
};

inline unsigned channelCount(uint8_t colorType) {
    switch (colorType) {
        case kRgb:
            return 3;
        case kGreyAlpha:
            return 2;
        case kRgba:
            return 4;
        default:
            return 1;  // grey and palette indices
    }
}

// Bytes from one pixel to the same byte of the next, at least 1 (the distance
// the Sub, Average and Paeth filters look back).
inline unsigned filterStride(const Header& h) {
    const unsigned bits = channelCount(h.colorType) * h.bitDepth;
    return bits < 8 ? 1 : bits / 8;
}

// Bytes of one scanline of `pixels` pixels, without its filter byte.
inline uint64_t rowBytes(const Header& h, uint32_t pixels) {
    return (uint64_t{pixels} * channelCount(h.colorType) * h.bitDepth + 7) / 8;
}

// Everything the conversion to RGBA needs besides the samples.
struct KOUI_API PixelFormat {
    uint8_t colorType = 0;
    uint8_t bitDepth = 0;
    bool hasKey = false;           // tRNS colour key for grey and truecolour
    uint16_t key[3] = {};          // grey in key[0]; already reduced to the bit depth
    unsigned paletteCount = 0;     // entries of PLTE
    uint8_t palette[256][4] = {};  // RGBA, alpha from tRNS (255 without)
};

// One Adam7 pass: first pixel and step on each axis.
struct KOUI_API Pass {
    uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

inline uint32_t passExtent(uint32_t size, uint32_t start, uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

}  // namespace ko::png
