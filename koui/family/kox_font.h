// CkoxGL_Font: the classic resource manager's font, written with the
// fixed-function matrices current at the call.
//
// File form: a classic font file is a TrueType or OpenType font file; it is
// rendered at kDefaultPixelSize pixels. A path may name another size by
// ending in "@<pixels>" ("fonts/DejaVuSans.ttf@12") when no file of that full
// name exists. Text is UTF-8, laid out as ko::gl::FontGlyphVector does.
//
// Text is measured and written with the font's character spacing added
// between characters; the formatted fonts set it around each call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "koui/export.h"
#include "koui/family/gl_font.h"
#include "koui/family/glyph_vector.h"
#include "koui/family/kox_types.h"
#include "koui/family/module_resources.h"

namespace ko::gl {

class KOUI_API CkoxGL_Font {
public:
    static constexpr int kDefaultPixelSize = 16;
    enum Align { kLeft = 0, kCenter = 1, kRight = 2 };

    CkoxGL_Font();
    ~CkoxGL_Font();
    CkoxGL_Font(const CkoxGL_Font&) = delete;
    CkoxGL_Font& operator=(const CkoxGL_Font&) = delete;

    // KOX_OK, or KOX_ERROR (with a message) when the file cannot be read or
    // is no font. Opening again replaces the font.
    int Open(const char* path);
    // The same from a font file registered as a module resource, at the
    // default size.
    int OpenFromResource(int resId, const char* resType, koui::win32::HINSTANCE module);
    int OpenFromMemory(const uint8_t* data, size_t size, int pixelSize, const char* name);

    // Width in pixels of the first `length` bytes of `text` (all of it when
    // length is negative or beyond its end): advances, kerning and the
    // spacing between characters, trailing spaces included. 0 when closed.
    float GetTextExtent(const char* text, int length = -1);

    // Writes `text` with its top at y and, by `align`, its left end, centre
    // or right end at x; scaled by `scale`, in the colour rgba (four
    // doubles), drawn max(1, repeatCount) times over itself (which deepens
    // it under additive blending). Uses the current projection and
    // model-view matrices.
    void WriteEx(double x, double y, double scale, int align, int repeatCount, const double* rgba,
                 const char* text);

    double GetCharSpacing() const { return spacing_; }
    void SetCharSpacing(double spacing) { spacing_ = spacing; }

    void setid(const char* id) { id_ = id ? id : ""; }
    const char* getid() const { return id_.c_str(); }
    // The path given to Open (empty for other sources).
    const char* getpath() const { return path_.c_str(); }

    bool IsOpen() const { return font_ != nullptr; }
    int GetPixelSize() const { return font_ ? font_->getPixHeight() : 0; }
    ko::gl::Font* GetGLFont() { return font_.get(); }

private:
    bool layout(const char* text, size_t length, double scale);
    float extent() const;

    std::unique_ptr<ko::gl::Font> font_;
    ko::gl::FontGlyphVector glyphs_;
    double spacing_ = 0;
    std::string id_;
    std::string path_;
};

}  // namespace ko::gl
