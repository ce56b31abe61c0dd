#include "frame_capture.h"

#include <GL/glew.h>
#include <libdeflate.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace hello {
namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A chunk is its length, type and data, then the CRC of type and data.
void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

}  // namespace

std::vector<uint8_t> readBackBuffer(int w, int h) {
    if (w < 1 || h < 1) return {};
    const size_t row = static_cast<size_t>(w) * 4;
    std::vector<uint8_t> bottomUp(row * h);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL counts rows from the bottom; pictures count them from the top.
    std::vector<uint8_t> out(bottomUp.size());
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bottomUp.data() + row * (h - 1 - y);
        uint8_t* dst = out.data() + row * y;
        for (size_t x = 0; x < row; x += 4) {
            dst[x] = src[x];
            dst[x + 1] = src[x + 1];
            dst[x + 2] = src[x + 2];
            dst[x + 3] = 255;
        }
    }
    return out;
}

bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
    const size_t row = static_cast<size_t>(w) * 4;
    if (w < 1 || h < 1 || rgba.size() != row * h) return false;
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * h);
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // filter type none
        raw.insert(raw.end(), rgba.begin() + row * y, rgba.begin() + row * (y + 1));
    }
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    if (!compressor) return false;
    std::vector<uint8_t> idat(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
    idat.resize(libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(), idat.data(), idat.size()));
    if (idat.empty()) return false;

    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(w));
    put32(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, deflate, standard filters, no interlace
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", idat);
    chunk(file, "IEND", {});

    // Written beside the target and renamed, so that a reader never sees
    // half a picture.
    const std::string part = path + ".part";
    {
        std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(part.c_str(), "wb"), std::fclose);
        if (!out || std::fwrite(file.data(), 1, file.size(), out.get()) != file.size()) {
            out.reset();
            std::remove(part.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) std::remove(part.c_str());
    return !ec;
}

}  // namespace hello
