// The PNG decoder of the toolkit: any valid PNG image (every colour type and
// bit depth, interlaced or not) to 8-bit RGBA.
//
// Input is untrusted. Every fault refuses the image with one appmsg line
// saying why, including faults that lenient readers let pass: a critical
// chunk with a bad CRC, a palette index without a palette entry, image data
// that inflates to more or fewer bytes than the header implies, a zlib stream
// with a bad check value. Images above 2^28 pixels, and images whose data is
// too short to fill them, are refused before anything large is allocated.
//
// Memory: a non-interlaced image is inflated into the pixel buffer and
// converted there, so decoding takes the larger of the RGBA image and the
// inflated data (twice the RGBA image for 16-bit RGBA); an interlaced image
// takes both. The inflater, and the buffers for joined IDAT chunks and for
// an interlaced image's inflated data, are kept per thread for the next
// decode (buffers up to 32 MiB; larger ones are given back after use).
// Decoding into a vector that already holds an image reuses its bytes
// without zeroing them first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "koui/export.h"

namespace ko::png {

// On success: `pixels` holds width × height RGBA pixels, rows top-down,
// width × 4 bytes per row without padding; `bpp` is 32. On failure: false,
// `pixels` empty, the other outputs unchanged.
KOUI_API bool decodePng(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
                        const uint8_t* data, size_t size);

}  // namespace ko::png
