// Assembles PNG files chunk by chunk, so tests can make well-formed files and
// files with one precise fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace koui::test {

// A zlib stream of `raw` (libdeflate, level 6).
std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& raw);

class PngBuilder {
public:
    PngBuilder();  // the signature

    // Appends a chunk with its length and CRC; `badCrc` stores a wrong CRC.
    PngBuilder& chunk(const std::string& type, const std::vector<uint8_t>& body, bool badCrc = false);
    PngBuilder& ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                     uint8_t interlace = 0);
    // One IDAT with the compressed `filtered` scanlines (filter bytes included).
    PngBuilder& image(const std::vector<uint8_t>& filtered);
    PngBuilder& iend() { return chunk("IEND", {}); }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace koui::test
