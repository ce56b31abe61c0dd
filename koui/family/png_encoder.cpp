#include "koui/family/png_encoder.h"

#include <libdeflate.h>

#include <cstdio>
#include <memory>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::png {
namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A chunk is length, type, data, and the CRC of type and data.
void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

std::vector<uint8_t> compressRows(int width, int height, const uint8_t* rgba) {
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        raw.push_back(0);  // filter type: none
        raw.insert(raw.end(), rgba + y * rowBytes, rgba + (y + 1) * rowBytes);
    }
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    if (!compressor) return {};
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
    out.resize(libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(), out.data(), out.size()));
    return out;
}

}  // namespace

std::vector<uint8_t> encodePng(int width, int height, const uint8_t* rgba) {
    if (width < 1 || height < 1 || !rgba) return {};
    std::vector<uint8_t> idat = compressRows(width, height, rgba);
    if (idat.empty()) return {};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", idat);
    chunk(file, "IEND", {});
    return file;
}

bool writePng(const std::string& path, int width, int height, const uint8_t* rgba) {
    std::vector<uint8_t> file = encodePng(width, height, rgba);
    if (file.empty()) {
        appmsg("[ERROR] writePng: cannot encode a %dx%d image (%s)", width, height, path.c_str());
        return false;
    }
    // The close is checked too: buffered bytes reach the disk only there.
    FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok) appmsg("[ERROR] writePng: cannot write %s", path.c_str());
    return ok;
}

}  // namespace ko::png
