#include "tests/support/png_builder.h"

#include <libdeflate.h>

namespace koui::test {

static void putBE32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& raw) {
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c, raw.size()));
    out.resize(libdeflate_zlib_compress(c, raw.data(), raw.size(), out.data(), out.size()));
    libdeflate_free_compressor(c);
    return out;
}

PngBuilder::PngBuilder() : bytes_{137, 80, 78, 71, 13, 10, 26, 10} {}

PngBuilder& PngBuilder::chunk(const std::string& type, const std::vector<uint8_t>& body, bool badCrc) {
    putBE32(bytes_, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type.begin(), type.end());
    typed.insert(typed.end(), body.begin(), body.end());
    bytes_.insert(bytes_.end(), typed.begin(), typed.end());
    const uint32_t crc = libdeflate_crc32(0, typed.data(), typed.size());
    putBE32(bytes_, badCrc ? crc ^ 1 : crc);
    return *this;
}

PngBuilder& PngBuilder::ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                             uint8_t interlace) {
    std::vector<uint8_t> body;
    putBE32(body, width);
    putBE32(body, height);
    body.insert(body.end(), {depth, colorType, 0, 0, interlace});
    return chunk("IHDR", body);
}

PngBuilder& PngBuilder::image(const std::vector<uint8_t>& filtered) {
    return chunk("IDAT", zlibCompress(filtered));
}

}  // namespace koui::test
