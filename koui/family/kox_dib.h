// Plain pixel bitmaps in memory: CstgDibSection8 (one byte a pixel) and
// CstgDibSectionEx (24 or 32 bits a pixel, loadable from an image file).
// Rows are stored top first, each GetPitch() bytes long (the row size rounded
// up to 4 bytes). 32-bit pixels hold the bytes red, green, blue, alpha, so
// the fourth byte of each pixel is its alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "koui/export.h"
#include "koui/family/kox_types.h"

namespace ko::gl {

class KOUI_API CstgDibSection8 {
public:
    // A zeroed width x height bitmap. KOX_OK, or KOX_ERROR for a size
    // below 1 x 1 or above 65536 on a side.
    int Create(int width, int height);
    uint8_t* GetBits() { return bits_.data(); }
    const uint8_t* GetBits() const { return bits_.data(); }
    uint8_t* GetRow(int y) { return bits_.data() + static_cast<size_t>(y) * pitch_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetPitch() const { return pitch_; }

private:
    std::vector<uint8_t> bits_;
    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
};

class KOUI_API CstgDibSectionEx {
public:
    // A zeroed bitmap of `bpp` 24 or 32. KOX_OK or KOX_ERROR.
    int Create(int width, int height, int bpp = 32);
    // Decodes an image file ("png") into a bitmap of `bpp` 24 or 32 (24 drops
    // the alpha). KOX_OK, or KOX_ERROR with a message.
    int CreateFromFile(const char* path, int bpp = 32);
    uint8_t* GetBits() { return bits_.data(); }
    const uint8_t* GetBits() const { return bits_.data(); }
    uint8_t* GetRow(int y) { return bits_.data() + static_cast<size_t>(y) * pitch_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetPitch() const { return pitch_; }
    int GetBpp() const { return bpp_; }

private:
    std::vector<uint8_t> bits_;
    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    int bpp_ = 0;
};

}  // namespace ko::gl
