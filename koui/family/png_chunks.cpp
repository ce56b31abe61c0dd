#include "koui/family/png_chunks.h"

#include <libdeflate.h>

#include <cstring>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::png {

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr uint32_t kMaxChunkLength = 0x7fffffffu;

// A fuzzer cannot mend the CRC of a chunk it mutated, so its builds skip the
// check and let the mutations reach the chunk walk and the pixels.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckCrc = false;
#else
constexpr bool kCheckCrc = true;
#endif

uint32_t be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
uint16_t be16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

bool isLetter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool fail(const char* why) {
    appmsg("[ERROR] decodePng: %s", why);
    return false;
}

bool validDepth(uint8_t colorType, uint8_t depth) {
    switch (colorType) {
        case kGrey:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case kPalette:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case kRgb:
        case kGreyAlpha:
        case kRgba:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

// Walk state between chunks.
struct Walk {
    Chunks& out;
    bool haveHeader = false;
    bool havePalette = false;
    bool haveTransparency = false;
    enum { kBeforeData, kInData, kAfterData } data = kBeforeData;
};

bool readHeader(Walk& w, const uint8_t* body, uint32_t length) {
    if (w.haveHeader) return fail("second IHDR chunk");
    if (length != 13) return fail("IHDR chunk is not 13 bytes long");
    Header& h = w.out.header;
    h.width = be32(body);
    h.height = be32(body + 4);
    h.bitDepth = body[8];
    h.colorType = body[9];
    h.interlace = body[12];
    if (h.width == 0 || h.height == 0 || h.width > kMaxChunkLength || h.height > kMaxChunkLength) {
        appmsg("[ERROR] decodePng: invalid image size %ux%u", h.width, h.height);
        return false;
    }
    if (uint64_t{h.width} * h.height > kMaxPixels) {
        appmsg("[ERROR] decodePng: image of %ux%u pixels exceeds the limit of %zu pixels", h.width, h.height,
               static_cast<size_t>(kMaxPixels));
        return false;
    }
    if (!validDepth(h.colorType, h.bitDepth)) {
        appmsg("[ERROR] decodePng: invalid colour type %u with bit depth %u", h.colorType, h.bitDepth);
        return false;
    }
    if (body[10] != 0) return fail("unknown compression method");
    if (body[11] != 0) return fail("unknown filter method");
    if (h.interlace > 1) return fail("unknown interlace method");
    w.out.format.colorType = h.colorType;
    w.out.format.bitDepth = h.bitDepth;
    w.haveHeader = true;
    return true;
}

bool readPalette(Walk& w, const uint8_t* body, uint32_t length) {
    const uint8_t type = w.out.header.colorType;
    if (type == kGrey || type == kGreyAlpha) return fail("PLTE chunk in a greyscale image");
    if (w.havePalette) return fail("second PLTE chunk");
    if (w.data != Walk::kBeforeData) return fail("PLTE chunk after the image data");
    if (length == 0 || length > 768 || length % 3 != 0) return fail("PLTE chunk of invalid length");
    w.havePalette = true;
    if (type != kPalette) return true;  // a suggested palette for truecolour: unused
    PixelFormat& f = w.out.format;
    f.paletteCount = length / 3;
    for (unsigned i = 0; i < f.paletteCount; ++i) {
        std::memcpy(f.palette[i], body + 3 * i, 3);
        f.palette[i][3] = 255;
    }
    return true;
}

// tRNS is ancillary: when it does not fit the image it is ignored, as other
// readers do, rather than refusing an otherwise sound file.
void readTransparency(Walk& w, const uint8_t* body, uint32_t length) {
    if (w.haveTransparency || w.data != Walk::kBeforeData) return;
    PixelFormat& f = w.out.format;
    const uint16_t mask = f.bitDepth == 16 ? 0xffff : static_cast<uint16_t>((1u << f.bitDepth) - 1);
    switch (f.colorType) {
        case kPalette:
            if (!w.havePalette || length > f.paletteCount) return;
            for (uint32_t i = 0; i < length; ++i) f.palette[i][3] = body[i];
            break;
        case kGrey:
            if (length != 2) return;
            f.key[0] = be16(body) & mask;  // only the bits of the sample depth count
            f.hasKey = true;
            break;
        case kRgb:
            if (length != 6) return;
            for (int c = 0; c < 3; ++c) f.key[c] = be16(body + 2 * c) & mask;
            f.hasKey = true;
            break;
        default:
            return;  // images with an alpha channel take no tRNS
    }
    w.haveTransparency = true;
}

bool readData(Walk& w, const uint8_t* body, uint32_t length) {
    if (w.data == Walk::kAfterData) return fail("IDAT chunks are not consecutive");
    if (w.out.header.colorType == kPalette && !w.havePalette) return fail("palette image without PLTE chunk");
    w.data = Walk::kInData;
    w.out.idat.push_back({body, length});
    w.out.idatBytes += length;
    return true;
}

// Handles one chunk; `done` is set at IEND.
bool readChunk(Walk& w, const uint8_t* type, const uint8_t* body, uint32_t length, bool& done) {
    if (!w.haveHeader && std::memcmp(type, "IHDR", 4) != 0) return fail("first chunk is not IHDR");
    const bool isData = std::memcmp(type, "IDAT", 4) == 0;
    if (!isData && w.data == Walk::kInData) w.data = Walk::kAfterData;

    if (std::memcmp(type, "IHDR", 4) == 0) return readHeader(w, body, length);
    if (isData) return readData(w, body, length);
    if (std::memcmp(type, "PLTE", 4) == 0) return readPalette(w, body, length);
    if (std::memcmp(type, "IEND", 4) == 0) {
        if (w.data == Walk::kBeforeData) return fail("no IDAT chunk");
        done = true;
        return true;
    }
    if (std::memcmp(type, "tRNS", 4) == 0) {
        readTransparency(w, body, length);
        return true;
    }
    if (!(type[0] & 0x20)) {
        appmsg("[ERROR] decodePng: unknown critical chunk %.4s", reinterpret_cast<const char*>(type));
        return false;
    }
    return true;  // other ancillary chunks carry nothing the pixels need
}

}  // namespace

bool readChunks(const uint8_t* data, size_t size, Chunks& out) {
    out = Chunks{};
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return fail("not a PNG file (bad signature)");
    Walk w{out};
    size_t pos = sizeof kSignature;
    for (bool done = false; !done;) {
        if (size - pos < 12) return fail("file ends before the IEND chunk");
        const uint32_t length = be32(data + pos);
        const uint8_t* type = data + pos + 4;
        const uint8_t* body = data + pos + 8;
        if (length > kMaxChunkLength || size - pos - 12 < length) {
            appmsg("[ERROR] decodePng: chunk at offset %zu runs past the end of the file", pos);
            return false;
        }
        if (!isLetter(type[0]) || !isLetter(type[1]) || !isLetter(type[2]) || !isLetter(type[3])) {
            appmsg("[ERROR] decodePng: invalid chunk type at offset %zu", pos);
            return false;
        }
        if (kCheckCrc && !(type[0] & 0x20) && libdeflate_crc32(0, type, length + 4) != be32(body + length)) {
            appmsg("[ERROR] decodePng: CRC mismatch in chunk %.4s", reinterpret_cast<const char*>(type));
            return false;
        }
        if (!readChunk(w, type, body, length, done)) return false;
        pos += 12 + size_t{length};
    }
    return true;
}

}  // namespace ko::png
