// ko::gl::Font: a TrueType/OpenType font at one pixel size that writes text
// through a GLSL program under a caller's matrix.
//
// A font is made from the bytes of a font file and needs no GL context for
// that. Glyphs are rasterised once, on first use, into the font's atlas
// texture (GlyphAtlas); the texture is made on the first draw, on the
// context current then, and every later draw must happen with that context
// (or one sharing its objects) current. The text program is the context's
// own (ko::gl::contextProgram), shared by all fonts drawn there. Each
// write or drawDGlyphs is one instanced draw call however long the text.
//
// Positions: drawDGlyphs takes the layout origin, which is the first line's
// baseline (FontGlyphVector). write and writeFormat take the top left corner
// of the text instead, the top being the line box's top (ascender), so text
// written at (x, y) lies below y the way boxes drawn at (x, y) do.
//
// Text is UTF-8 (FontGlyphVector says how it is cut into characters).
//
// Colours are four floats (red, green, blue, alpha); glyph coverage scales
// the alpha, and the caller's blending mode (normally source alpha, one
// minus source alpha) mixes it in. Matrices are 16 floats, column-major, as
// glm::value_ptr gives them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "koui/export.h"
#include "koui/family/font_face.h"
#include "koui/family/glyph_atlas.h"

namespace ko::glsl {
class Program;
}

namespace ko::gl {

class FontGlyphVector;

class KOUI_API Font {
public:
    // Horizontal alignment values of writeFormat: x is the left end, the
    // centre or the right end of the text. Vertical: y is the top of the
    // first line box, the middle of the text block, or the bottom of the
    // last line box.
    enum Align { kAlignStart = 0, kAlignCenter = 1, kAlignEnd = 2 };

    // Null (with the reason through appmsg) when the bytes are no font
    // FreeType can read or the size is below 1. `name` labels messages.
    static std::unique_ptr<Font> fromBytes(std::vector<uint8_t> bytes, int pixelSize,
                                           const std::string& name);
    // The same from file bytes that other fonts (other sizes) may hold too.
    static std::unique_ptr<Font> fromBytes(FontBytes bytes, int pixelSize, const std::string& name,
                                           const FontRendering& rendering = {});
    // This font, or the one made from its bytes at its size with other
    // rendering settings (kept by this font, made on first request).
    Font* withRendering(const FontRendering& rendering);

    // Deletes the font's atlas texture, if it made one; the context it was
    // made on must then be current.
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // One or more lines (split at line feeds) with the top left at (x, y).
    void write(const float* mvp, const float* rgba, float x, float y, const std::string& text);
    // write() in two steps, for a caller that writes one text often: the
    // layout (false, leaving `out` empty, when there is nothing to write),
    // then drawing it with its top left at (x, y), the same pixels as
    // write(text) at (x, y). The layout stays valid while this font lives.
    bool layoutForWrite(FontGlyphVector& out, std::string_view text) const;
    void writeLaidOut(const FontGlyphVector& layout, const float* mvp, const float* rgba, float x, float y);
    // printf-style; the first form writes like write().
    void writeFormat(const float* mvp, const float* rgba, float x, float y, const char* format, ...)
        __attribute__((format(printf, 6, 7)));
    // With alignment (Align values; others count as start). `reserved` is
    // accepted for callers that pass a third alignment value and must be 0.
    void writeFormat(const float* mvp, const float* rgba, float x, float y, int alignH, int alignV,
                     int reserved, const char* format, ...) __attribute__((format(printf, 9, 10)));

    // Draws a layout with its origin at (x, y), clipped to the rectangle
    // (clipX, clipY, clipW, clipH) of the same space: only pixels whose
    // centres lie inside it change. Returns the number of glyph images drawn.
    int drawDGlyphs(const FontGlyphVector& glyphs, const float* mvp, const float* rgba, float x, float y,
                    float clipX, float clipY, float clipW, float clipH);

    int getPixHeight() const { return face_->pixelSize(); }
    int getLineHeight() const { return face_->lineHeight(); }
    int getAscender() const { return face_->ascender(); }
    int getDescender() const { return face_->descender(); }
    const FontFace& face() const { return *face_; }
    const std::string& name() const { return name_; }

    // Deletes the atlas texture now (context current); the next draw makes it again.
    void releaseGL();

    // Draw calls issued by all fonts of the process since it started; for
    // diagnostics and benchmarks.
    static uint64_t drawCallCount() { return drawCalls_.load(std::memory_order_relaxed); }

private:
    Font(std::unique_ptr<FontFace> face, std::string name);

    // The current context's text program; null (reported once per font)
    // when it does not build.
    glsl::Program* textProgram();
    struct Slot;
    // The atlas slot of a character's glyph, rasterised on first use; null
    // when there is nothing to draw.
    const Slot* ensureGlyph(uint32_t code, int phase);
    void writeAligned(const float* mvp, const float* rgba, float x, float y, int alignH, int alignV,
                      std::string_view text);

    std::unique_ptr<FontFace> face_;
    std::string name_;
    // Guards the atlas, the glyph slots and the GL state: drawing may come
    // from any thread that has the right context current.
    std::mutex lock_;
    GlyphAtlas atlas_;
    struct Slot {
        AtlasRect rect;
        int left = 0;  // bitmap offset from the pen position, as rendered
        int top = 0;
        uint8_t state = 0;  // 0 not rasterised yet, 1 in the atlas, 2 nothing to draw
    };
    // One slot per pen position within a pixel (FontRendering::subpixel).
    Slot slots_[256][FontRendering::kMaxSubpixel];   // code points below 256
    std::unordered_map<uint64_t, Slot> glyphSlots_;  // the others, by glyph index and position
    std::vector<std::unique_ptr<Font>> variants_;    // withRendering's fonts
    bool programFailed_ = false;
    std::vector<float> instances_;

    static std::atomic<uint64_t> drawCalls_;
};

}  // namespace ko::gl
