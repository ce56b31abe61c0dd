#include "koui/family/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::gl {

// Each face has its own FreeType library object: FreeType objects may not be
// used from two threads at once, and fonts belong to different windows'
// threads.
struct FontFace::FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeType() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

bool isControl(unsigned b) {
    return b < 32 || (b >= 127 && b < 160);
}

FT_Int32 loadFlags(const FontRendering& r) {
    return r.lightHinting ? FT_LOAD_TARGET_LIGHT : FT_LOAD_DEFAULT;
}

int ceilPixels(FT_Pos v) {
    return static_cast<int>((v + 63) >> 6);
}

}  // namespace

std::unique_ptr<FontFace> FontFace::create(std::vector<uint8_t> bytes, int pixelSize,
                                           const std::string& name) {
    return create(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), pixelSize, name);
}

std::unique_ptr<FontFace> FontFace::create(FontBytes bytes, int pixelSize, const std::string& name,
                                           const FontRendering& rendering) {
    if (pixelSize < 1) {
        appmsg("[ERROR] Font (%s): invalid pixel size %d", name.c_str(), pixelSize);
        return nullptr;
    }
    std::unique_ptr<FontFace> face(new FontFace);
    face->bytes_ = std::move(bytes);
    face->pixelSize_ = pixelSize;
    face->rendering_ = rendering;
    face->rendering_.subpixel = std::clamp(rendering.subpixel, 1, FontRendering::kMaxSubpixel);
    if (!face->load(name)) return nullptr;
    return face;
}

FontFace::~FontFace() = default;

bool FontFace::load(const std::string& name) {
    ft_ = std::make_unique<FreeType>();
    if (FT_Init_FreeType(&ft_->library)) {
        appmsg("[ERROR] Font (%s): FreeType cannot start", name.c_str());
        return false;
    }
    const size_t size = bytes_ ? bytes_->size() : 0;
    if (size == 0 ||
        FT_New_Memory_Face(ft_->library, bytes_->data(), static_cast<FT_Long>(size), 0, &ft_->face)) {
        appmsg("[ERROR] Font (%s): not a font file FreeType can read (%zu bytes)", name.c_str(), size);
        return false;
    }
    FT_Face face = ft_->face;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize_))) {
        appmsg("[ERROR] Font (%s): cannot be set to %d pixels", name.c_str(), pixelSize_);
        return false;
    }
    // Code points are Unicode's; fonts without a Unicode map keep whatever
    // map FreeType chose.
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);

    const FT_Size_Metrics& sm = face->size->metrics;
    ascender_ = ceilPixels(sm.ascender);
    descender_ = ceilPixels(-sm.descender);
    lineHeight_ = static_cast<int>(std::lround(sm.height / 64.0));
    if (lineHeight_ < ascender_ + descender_) lineHeight_ = ascender_ + descender_;

    replacement_ = loadMetrics(FT_Get_Char_Index(face, 0xFFFD));
    for (unsigned b = 0; b < 256; ++b) {
        if (isControl(b)) continue;
        FT_UInt index = FT_Get_Char_Index(face, b);
        metrics_[b] = index ? loadMetrics(index) : replacement_;
        advances_[b] = metrics_[b].advance;
    }

    hasKerning_ = FT_HAS_KERNING(face);
    if (hasKerning_) {
        kerning_.assign(256 * 256, 0);
        bool any = false;
        for (unsigned l = 32; l < 256; ++l) {
            if (!metrics_[l].glyphIndex) continue;
            for (unsigned r = 32; r < 256; ++r) {
                if (!metrics_[r].glyphIndex) continue;
                FT_Vector k{};
                if (FT_Get_Kerning(face, metrics_[l].glyphIndex, metrics_[r].glyphIndex, FT_KERNING_DEFAULT,
                                   &k))
                    continue;
                kerning_[l * 256 + r] = static_cast<int16_t>(k.x);
                any = any || k.x != 0;
            }
        }
        if (!any) kerning_.clear();
    }
    return true;
}

GlyphMetrics FontFace::loadMetrics(uint32_t glyphIndex) const {
    GlyphMetrics m;
    m.glyphIndex = glyphIndex;
    FT_Face face = ft_->face;
    if (FT_Load_Glyph(face, glyphIndex, loadFlags(rendering_))) return m;
    FT_GlyphSlot slot = face->glyph;
    // Pens between pixels need the advance the design asks for, not one
    // rounded to whole pixels.
    m.advance = rendering_.subpixel > 1 ? static_cast<float>(slot->linearHoriAdvance) / 65536.0f
                                        : static_cast<float>(slot->advance.x) / 64.0f;
    // FT_Load_Glyph presets the bitmap box the rasteriser will fill, so
    // layout knows every ink box without rendering anything.
    m.inkLeft = static_cast<int16_t>(slot->bitmap_left);
    m.inkTop = static_cast<int16_t>(-slot->bitmap_top);
    m.inkWidth = static_cast<int16_t>(slot->bitmap.width);
    m.inkHeight = static_cast<int16_t>(slot->bitmap.rows);
    return m;
}

const GlyphMetrics& FontFace::metricsBeyondLatin1(uint32_t code) const {
    std::lock_guard guard(ftLock_);
    auto found = beyondLatin1_.find(code);
    if (found != beyondLatin1_.end()) return found->second;
    const FT_UInt index = FT_Get_Char_Index(ft_->face, code);
    if (!index) return replacement_;
    return beyondLatin1_.emplace(code, loadMetrics(index)).first->second;
}

float FontFace::kerningOfGlyphs(uint32_t leftIndex, uint32_t rightIndex) const {
    if (!hasKerning_ || !leftIndex || !rightIndex) return 0;
    std::lock_guard guard(ftLock_);
    FT_Vector k{};
    if (FT_Get_Kerning(ft_->face, leftIndex, rightIndex, FT_KERNING_DEFAULT, &k)) return 0;
    return static_cast<float>(k.x) / 64.0f;
}

bool FontFace::render(uint32_t code, GlyphBitmap& out, int phase) {
    out = GlyphBitmap{};
    const GlyphMetrics& m = metrics(code);
    if (!m.inkWidth || !m.inkHeight) return false;
    std::lock_guard guard(ftLock_);
    FT_Face face = ft_->face;
    if (FT_Load_Glyph(face, m.glyphIndex, loadFlags(rendering_))) return false;
    if (phase > 0 && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Translate(&face->glyph->outline, phase * 64 / rendering_.subpixel, 0);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) return false;
    const FT_Bitmap& bm = face->glyph->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || !bm.buffer || bm.pitch <= 0) return false;
    // A copy: the glyph slot is FreeType's, and a lookup on another thread
    // loads the next glyph into it as soon as the lock is let go.
    const auto pitch = static_cast<size_t>(bm.pitch);
    rendered_.assign(bm.buffer, bm.buffer + pitch * bm.rows);
    out.pixels = rendered_.data();
    out.width = static_cast<int>(bm.width);
    out.height = static_cast<int>(bm.rows);
    out.pitch = bm.pitch;
    out.left = face->glyph->bitmap_left;
    out.top = -face->glyph->bitmap_top;
    return true;
}

}  // namespace ko::gl
