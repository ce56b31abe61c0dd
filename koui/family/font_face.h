// ko::gl::FontFace: one TrueType/OpenType face at one pixel size, with the
// metrics that glyph layout reads precomputed for all 256 byte values.
//
// Text in this system is bytes; a byte b stands for the Latin-1 code point b.
// Layout runs every frame for every text widget, so advances, ink boxes and
// kerning pairs are looked up in flat tables built when the face is made;
// FreeType is asked again only to rasterise a glyph the first time it is
// drawn. Making a face needs no GL context.
//
// Control bytes (below 32, 127 to 159) have no ink and no advance. A byte
// whose code point the font lacks shows the font's missing-glyph box.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "koui/export.h"

namespace ko::gl {

// Metrics of one byte's glyph in whole pixels at the face's size. The ink box
// is where FreeType's rasteriser puts the glyph's bitmap relative to the pen
// position on the baseline; y grows downwards, so `inkTop` is negative for
// ink above the baseline.
struct KOUI_API GlyphMetrics {
    float advance = 0;
    int16_t inkLeft = 0;
    int16_t inkTop = 0;
    int16_t inkWidth = 0;  // 0: nothing to draw (space, control byte)
    int16_t inkHeight = 0;
    uint32_t glyphIndex = 0;
};

// A rasterised glyph: 8-bit coverage, `pitch` bytes per row, top row first.
struct KOUI_API GlyphBitmap {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    int left = 0;  // same meaning as GlyphMetrics::inkLeft
    int top = 0;   // same meaning as GlyphMetrics::inkTop
};

// The bytes of a font file, shared by the faces made from them (one per
// pixel size).
using FontBytes = std::shared_ptr<const std::vector<uint8_t>>;

class KOUI_API FontFace {
public:
    // Reads the face from the bytes of a font file (kept by the face, which
    // FreeType needs for as long as the face lives). Null, with the reason
    // through appmsg naming `name`, for a pixel size below 1 or bytes that
    // FreeType cannot read.
    static std::unique_ptr<FontFace> create(std::vector<uint8_t> bytes, int pixelSize,
                                            const std::string& name);
    // The same from bytes that other faces may hold too.
    static std::unique_ptr<FontFace> create(FontBytes bytes, int pixelSize, const std::string& name);

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const GlyphMetrics& metrics(uint8_t byte) const { return metrics_[byte]; }
    // The advances of all 256 bytes, for loops that read nothing else.
    const float* advances() const { return advances_; }
    // Kerning between two bytes in pixels (usually negative), 0 when the
    // font has no kerning. `kerningTable()` is the raw 256 x 256 table in
    // 1/64 pixels indexed [left * 256 + right], or null without kerning.
    float kerning(uint8_t left, uint8_t right) const {
        return kerning_.empty() ? 0.0f : kerning_[left * 256 + right] * (1.0f / 64.0f);
    }
    const int16_t* kerningTable() const { return kerning_.empty() ? nullptr : kerning_.data(); }

    int pixelSize() const { return pixelSize_; }
    const FontBytes& bytes() const { return bytes_; }
    // Distance from the baseline up to the top of the line box, and down to
    // its bottom, in whole pixels (both positive); and the baseline-to-
    // baseline distance the font asks for.
    int ascender() const { return ascender_; }
    int descender() const { return descender_; }
    int lineHeight() const { return lineHeight_; }

    // Rasterises the glyph of `byte`. The bitmap is valid until the next call.
    // Not thread-safe: callers serialise rendering of one face.
    bool render(uint8_t byte, GlyphBitmap& out);

private:
    FontFace() = default;
    bool load(const std::string& name);

    struct FreeType;
    std::unique_ptr<FreeType> ft_;
    FontBytes bytes_;
    int pixelSize_ = 0;
    int ascender_ = 0;
    int descender_ = 0;
    int lineHeight_ = 0;
    GlyphMetrics metrics_[256];
    float advances_[256] = {};
    std::vector<int16_t> kerning_;
};

}  // namespace ko::gl
