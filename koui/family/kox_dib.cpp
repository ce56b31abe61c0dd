#include "koui/family/kox_dib.h"

#include <cstring>

#include "koui/family/appmsg.h"
#include "koui/family/kox_image_file.h"

using namespace ko::log;

namespace ko::gl {

namespace {
constexpr int kMaxSide = 65536;

int rowPitch(int width, int bytesPerPixel) {
    return (width * bytesPerPixel + 3) & ~3;
}

bool validSize(int width, int height, const char* who) {
    if (width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide) return true;
    appmsg("[ERROR] %s: invalid size %dx%d", who, width, height);
    return false;
}
}  // namespace

int CstgDibSection8::Create(int width, int height) {
    if (!validSize(width, height, "CstgDibSection8")) return KOX_ERROR;
    width_ = width;
    height_ = height;
    pitch_ = rowPitch(width, 1);
    bits_.assign(static_cast<size_t>(pitch_) * height, 0);
    return KOX_OK;
}

int CstgDibSectionEx::Create(int width, int height, int bpp) {
    if (bpp != 24 && bpp != 32) {
        appmsg("[ERROR] CstgDibSectionEx: %d bits per pixel not supported (24 or 32)", bpp);
        return KOX_ERROR;
    }
    if (!validSize(width, height, "CstgDibSectionEx")) return KOX_ERROR;
    width_ = width;
    height_ = height;
    bpp_ = bpp;
    pitch_ = rowPitch(width, bpp / 8);
    bits_.assign(static_cast<size_t>(pitch_) * height, 0);
    return KOX_OK;
}

int CstgDibSectionEx::CreateFromFile(const char* path, int bpp) {
    std::vector<uint8_t> rgba;
    unsigned width = 0;
    unsigned height = 0;
    if (!koxLoadImageFile(path, nullptr, rgba, width, height)) return KOX_ERROR;
    if (width > kMaxSide || height > kMaxSide) {
        appmsg("[ERROR] CstgDibSectionEx: %s is too large (%ux%u)", path, width, height);
        return KOX_ERROR;
    }
    if (Create(static_cast<int>(width), static_cast<int>(height), bpp) != KOX_OK) return KOX_ERROR;
    const int bytes = bpp / 8;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* src = &rgba[static_cast<size_t>(y) * width * 4];
        uint8_t* dst = GetRow(y);
        if (bytes == 4) {
            std::memcpy(dst, src, static_cast<size_t>(width) * 4);
            continue;
        }
        for (unsigned x = 0; x < width; ++x) std::memcpy(dst + x * 3, src + x * 4, 3);
    }
    return KOX_OK;
}

}  // namespace ko::gl
