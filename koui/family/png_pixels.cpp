#include "koui/family/png_pixels.h"

#include <bit>
#include <cstring>

namespace ko::png {

namespace {

inline void put(uint8_t* d, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    d[0] = r;
    d[1] = g;
    d[2] = b;
    d[3] = a;
}

inline unsigned be16(const uint8_t* p) {
    return unsigned{p[0]} << 8 | p[1];
}

// The colour key as a value that no sample equals when there is none, so the
// loops compare unconditionally.
inline int keyOf(const PixelFormat& f, int channel) {
    return f.hasKey ? f.key[channel] : -1;
}

inline uint8_t alphaFor(bool transparent) {
    return transparent ? 0 : 255;
}

// Samples of 1, 2 or 4 bits, most significant first within each byte.
template <unsigned Bits>
inline unsigned lowSample(const uint8_t* src, size_t x) {
    constexpr unsigned perByte = 8 / Bits;
    const unsigned shift = 8 - Bits - static_cast<unsigned>(x % perByte) * Bits;
    return (src[x / perByte] >> shift) & ((1u << Bits) - 1);
}

template <unsigned Bits>
bool greyLow(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    constexpr unsigned scale = 255 / ((1u << Bits) - 1);  // 1 → 255, 2 → 85, 4 → 17
    const int key = keyOf(f, 0);
    for (size_t x = 0; x < count; ++x, dst += step) {
        const unsigned v = lowSample<Bits>(src, x);
        const auto g = static_cast<uint8_t>(v * scale);
        put(dst, g, g, g, alphaFor(static_cast<int>(v) == key));
    }
    return true;
}

bool grey8(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    const int key = keyOf(f, 0);
    for (size_t x = 0; x < count; ++x, dst += step) put(dst, src[x], src[x], src[x], alphaFor(src[x] == key));
    return true;
}

bool grey16(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    const int key = keyOf(f, 0);
    for (size_t x = 0; x < count; ++x, dst += step, src += 2) {
        const uint8_t g = src[0];
        put(dst, g, g, g, alphaFor(static_cast<int>(be16(src)) == key));
    }
    return true;
}

// The common case: no colour key. Each pixel is one unaligned 4-byte load
// (its RGB and the next pixel's red) with the fourth byte forced to 255; the
// last pixel, whose fourth byte lies past the row, is copied byte-wise.
bool rgb8Opaque(const uint8_t* src, uint8_t* dst, size_t count, size_t step) {
    constexpr uint32_t opaque = std::endian::native == std::endian::little ? 0xff000000u : 0x000000ffu;
    for (size_t x = 1; x < count; ++x, dst += step, src += 3) {
        uint32_t v;
        std::memcpy(&v, src, 4);
        v |= opaque;
        std::memcpy(dst, &v, 4);
    }
    if (count > 0) put(dst, src[0], src[1], src[2], 255);
    return true;
}

bool rgb8(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    if (!f.hasKey) return rgb8Opaque(src, dst, count, step);
    const int kr = f.key[0], kg = f.key[1], kb = f.key[2];
    for (size_t x = 0; x < count; ++x, dst += step, src += 3)
        put(dst, src[0], src[1], src[2], alphaFor(src[0] == kr && src[1] == kg && src[2] == kb));
    return true;
}

bool rgb16(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    const int kr = keyOf(f, 0), kg = keyOf(f, 1), kb = keyOf(f, 2);
    for (size_t x = 0; x < count; ++x, dst += step, src += 6) {
        const bool keyed = static_cast<int>(be16(src)) == kr && static_cast<int>(be16(src + 2)) == kg &&
                           static_cast<int>(be16(src + 4)) == kb;
        put(dst, src[0], src[2], src[4], alphaFor(keyed));
    }
    return true;
}

// Palette rows track the largest index instead of testing each pixel, so the
// loop stays branch-free; the row is refused afterwards when it is too large.
template <unsigned Bits>
bool paletteLow(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    unsigned largest = 0;
    for (size_t x = 0; x < count; ++x, dst += step) {
        const unsigned i = lowSample<Bits>(src, x);
        largest = i > largest ? i : largest;
        std::memcpy(dst, f.palette[i], 4);
    }
    return largest < f.paletteCount;
}

bool palette8(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat& f) {
    unsigned largest = 0;
    for (size_t x = 0; x < count; ++x, dst += step) {
        const unsigned i = src[x];
        largest = i > largest ? i : largest;
        std::memcpy(dst, f.palette[i], 4);
    }
    return largest < f.paletteCount;
}

bool greyAlpha8(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat&) {
    for (size_t x = 0; x < count; ++x, dst += step, src += 2) put(dst, src[0], src[0], src[0], src[1]);
    return true;
}

bool greyAlpha16(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat&) {
    for (size_t x = 0; x < count; ++x, dst += step, src += 4) put(dst, src[0], src[0], src[0], src[2]);
    return true;
}

bool rgba8(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat&) {
    if (step == 4) {
        std::memcpy(dst, src, count * 4);
        return true;
    }
    for (size_t x = 0; x < count; ++x, dst += step, src += 4) std::memcpy(dst, src, 4);
    return true;
}

bool rgba16(const uint8_t* src, uint8_t* dst, size_t count, size_t step, const PixelFormat&) {
    for (size_t x = 0; x < count; ++x, dst += step, src += 8) put(dst, src[0], src[2], src[4], src[6]);
    return true;
}

}  // namespace

RowConverter rowConverter(const PixelFormat& f) {
    const bool wide = f.bitDepth == 16;
    switch (f.colorType) {
        case kGrey:
            switch (f.bitDepth) {
                case 1:
                    return greyLow<1>;
                case 2:
                    return greyLow<2>;
                case 4:
                    return greyLow<4>;
                default:
                    return wide ? grey16 : grey8;
            }
        case kPalette:
            switch (f.bitDepth) {
                case 1:
                    return paletteLow<1>;
                case 2:
                    return paletteLow<2>;
                case 4:
                    return paletteLow<4>;
                default:
                    return palette8;
            }
        case kRgb:
            return wide ? rgb16 : rgb8;
        case kGreyAlpha:
            return wide ? greyAlpha16 : greyAlpha8;
        default:
            return wide ? rgba16 : rgba8;
    }
}

}  // namespace ko::png
