// ko::gl::FontFace: one TrueType/OpenType face at one pixel size, with the
// metrics that glyph layout reads, by Unicode code point.
//
// Layout runs every frame for every text widget, so advances, ink boxes and
// kerning pairs of the code points below 256 (ASCII and Latin-1, most text
// of this system) are looked up in flat tables built when the face is made.
// The tables were once the whole design, when text was one byte per glyph;
// text is UTF-8 now (koui/family/utf8.h): the glyphs of the code points
// beyond are looked up the first time they are met and kept (as many as the
// font has; those it lacks share the replacement glyph's), and a kerning
// pair that involves one of them is asked of FreeType each time. FreeType is
// otherwise asked only to rasterise a glyph the first time it is drawn.
// Making a face needs no GL context.
//
// Control characters (below 32, 127 to 159) have no ink and no advance. A
// code point the font lacks shows the font's replacement glyph: that of
// U+FFFD when the font has one, else its missing-glyph box (.notdef).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "koui/export.h"

namespace ko::gl {

// Metrics of one character's glyph in whole pixels at the face's size. The ink box
// is where FreeType's rasteriser puts the glyph's bitmap relative to the pen
// position on the baseline; y grows downwards, so `inkTop` is negative for
// ink above the baseline.
struct KOUI_API GlyphMetrics {
    float advance = 0;
    int16_t inkLeft = 0;
    int16_t inkTop = 0;
    int16_t inkWidth = 0;  // 0: nothing to draw (space, control character)
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

// How a face's glyphs are shaped and blended. The default is the plain look:
// full hinting, pens on whole pixels, coverage as rasterised.
struct KOUI_API FontRendering {
    // FreeType's light hinting fits stems to the pixel grid vertically only,
    // keeping the glyphs' own widths; advances are then the unrounded ones.
    bool lightHinting = false;
    // Pen positions per pixel (1 to kMaxSubpixel): above 1 each glyph is
    // rasterised for each position it is met at, so text is not pulled to
    // whole pixels letter by letter.
    int subpixel = 1;
    // Above 1, coverage is raised to 1 / contrast in proportion to the text
    // colour's lightness: light text on a dark ground, which plain blending
    // makes look thin, keeps the weight dark text on light ground has.
    float contrast = 1.0f;

    static constexpr int kMaxSubpixel = 4;
    bool operator==(const FontRendering&) const = default;
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
    static std::unique_ptr<FontFace> create(FontBytes bytes, int pixelSize, const std::string& name,
                                            const FontRendering& rendering = {});

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // The glyph that shows code point `code` (the replacement glyph's for one
    // the font lacks). Safe from any thread; the reference stays valid for
    // the face's lifetime.
    const GlyphMetrics& metrics(uint32_t code) const {
        return code < 256 ? metrics_[code] : metricsBeyondLatin1(code);
    }
    // The advances of the code points below 256, for loops that read nothing else.
    const float* advances() const { return advances_; }
    // Kerning between two characters in pixels (usually negative), 0 when
    // the font has no kerning. `kerningTable()` is the raw 256 x 256 table
    // of the code points below 256 in 1/64 pixels, indexed
    // [left * 256 + right], or null when none of those pairs kerns.
    float kerning(uint32_t left, uint32_t right) const {
        if (left < 256 && right < 256)
            return kerning_.empty() ? 0.0f : kerning_[left * 256 + right] * (1.0f / 64.0f);
        return hasKerning_ ? kerningOfGlyphs(metrics(left).glyphIndex, metrics(right).glyphIndex) : 0.0f;
    }
    // Kerning between two glyphs (GlyphMetrics::glyphIndex) in pixels, for
    // callers that hold their metrics already.
    float kerningOfGlyphs(uint32_t leftIndex, uint32_t rightIndex) const;
    const int16_t* kerningTable() const { return kerning_.empty() ? nullptr : kerning_.data(); }

    int pixelSize() const { return pixelSize_; }
    const FontRendering& rendering() const { return rendering_; }
    const FontBytes& bytes() const { return bytes_; }
    // Distance from the baseline up to the top of the line box, and down to
    // its bottom, in whole pixels (both positive); and the baseline-to-
    // baseline distance the font asks for.
    int ascender() const { return ascender_; }
    int descender() const { return descender_; }
    int lineHeight() const { return lineHeight_; }

    // Rasterises the glyph of `code`, moved right by `phase` / subpixel
    // pixels (phase below rendering().subpixel). The bitmap is valid until the next call;
    // callers serialise rendering of one face (lookups may go on meanwhile).
    bool render(uint32_t code, GlyphBitmap& out, int phase = 0);

private:
    FontFace() = default;
    bool load(const std::string& name);
    // FreeType's answers for one glyph (ftLock_ held).
    GlyphMetrics loadMetrics(uint32_t glyphIndex) const;
    const GlyphMetrics& metricsBeyondLatin1(uint32_t code) const;

    struct FreeType;
    std::unique_ptr<FreeType> ft_;
    FontBytes bytes_;
    int pixelSize_ = 0;
    FontRendering rendering_;
    int ascender_ = 0;
    int descender_ = 0;
    int lineHeight_ = 0;
    GlyphMetrics metrics_[256];
    float advances_[256] = {};
    std::vector<int16_t> kerning_;
    bool hasKerning_ = false;
    GlyphMetrics replacement_;  // U+FFFD's glyph, or .notdef
    // Guards FreeType (one face may be laid out on several threads) and the
    // glyphs met beyond Latin-1, by code point: only code points the font has.
    mutable std::mutex ftLock_;
    mutable std::unordered_map<uint32_t, GlyphMetrics> beyondLatin1_;
    std::vector<uint8_t> rendered_;  // the last bitmap render() gave
};

}  // namespace ko::gl
