// The chunk walk of the PNG decoder: signature, chunk framing and CRCs, the
// image header, the palette and transparency, and where the image data lies.
//
// Critical chunks must be well formed and carry a correct CRC; a fault in one
// refuses the file. Ancillary chunks are skipped unread, except tRNS, which is
// ignored (as the format allows) when it does not fit the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "koui/export.h"
#include "koui/family/png_format.h"

namespace ko::png {

struct KOUI_API Span {
    const uint8_t* data;
    size_t size;
};

struct KOUI_API Chunks {
    Header header;
    PixelFormat format;
    std::vector<Span> idat;  // the IDAT bodies in file order, one zlib stream together
    uint64_t idatBytes = 0;
};

// Walks `data` up to IEND. On failure writes one message and returns false.
KOUI_API bool readChunks(const uint8_t* data, size_t size, Chunks& out);

}  // namespace ko::png
