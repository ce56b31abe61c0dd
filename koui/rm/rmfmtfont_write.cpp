// Text output of the formatted fonts (GL thread, context current).
#include <cstdarg>
#include <cstdio>

#include "koui/family/kox_font.h"
#include "koui/rm/rm.h"

using namespace ko::gl;

namespace koui {

namespace {

// Sets a font's character spacing for the lifetime of the object, so that
// the shared font is the same before and after a formatted font used it.
class SpacingScope {
public:
    SpacingScope(CkoxGL_Font* font, double spacing) : font_(font), saved_(font->GetCharSpacing()) {
        font_->SetCharSpacing(spacing);
    }
    ~SpacingScope() { font_->SetCharSpacing(saved_); }
    SpacingScope(const SpacingScope&) = delete;
    SpacingScope& operator=(const SpacingScope&) = delete;

private:
    CkoxGL_Font* font_;
    double saved_;
};

}  // namespace

CkoxGL_Font* RMFmtFont::font() const {
    return rm ? rm->rmglfont(fontId) : nullptr;
}

bool RMFmtFont::write(double x, double y, int alignment, const double* rgba, const char* fmt, va_list args) {
    CkoxGL_Font* glFont = font();
    if (!glFont || !rgba || !fmt) return false;
    char text[1024];
    std::vsnprintf(text, sizeof text, fmt, args);
    SpacingScope spacing(glFont, xDelta);
    glFont->WriteEx(x, y, scale, alignment, repCount, rgba, text);
    return true;
}

// The colour named by colorId with its alpha times `alpha`; false without it.
static bool namedColour(const RMFmtFont& font, double alpha, double (&rgba)[4]) {
    RMColor* color = font.rm ? font.rm->rmcolor(font.colorId) : nullptr;
    if (!color) return false;
    for (int i = 0; i < 4; ++i) rgba[i] = color->rgbad[i];
    rgba[3] *= alpha;
    return true;
}

bool RMFmtFont::Write(double x, double y, const char* fmt, ...) {
    double rgba[4];
    if (!namedColour(*this, 1.0, rgba)) return false;
    va_list args;
    va_start(args, fmt);
    const bool written = write(x, y, align, rgba, fmt, args);
    va_end(args);
    return written;
}

bool RMFmtFont::Write(double x, double y, double alpha, const char* fmt, ...) {
    double rgba[4];
    if (!namedColour(*this, alpha, rgba)) return false;
    va_list args;
    va_start(args, fmt);
    const bool written = write(x, y, align, rgba, fmt, args);
    va_end(args);
    return written;
}

bool RMFmtFont::WriteEx(double x, double y, double alpha, int alignment, const char* fmt, ...) {
    double rgba[4];
    if (!namedColour(*this, alpha, rgba)) return false;
    va_list args;
    va_start(args, fmt);
    const bool written = write(x, y, alignment, rgba, fmt, args);
    va_end(args);
    return written;
}

bool RMFmtFont::WriteEx(double x, double y, double alpha, int alignment, const float (&color)[4],
                        const char* fmt, ...) {
    const double rgba[4] = {color[0], color[1], color[2], color[3] * alpha};
    va_list args;
    va_start(args, fmt);
    const bool written = write(x, y, alignment, rgba, fmt, args);
    va_end(args);
    return written;
}

int RMFmtFont::getTextExtent(const char* text, int n) {
    CkoxGL_Font* glFont = font();
    if (!glFont || !text) return 0;
    SpacingScope spacing(glFont, xDelta);
    return static_cast<int>(glFont->GetTextExtent(text, n) * scale);
}

}  // namespace koui
