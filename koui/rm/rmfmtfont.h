// Formatted fonts of the classic resource manager ("#formatfonts" section):
// a GL font of the manager's font list bound to a colour of its colour list,
// with scale, alignment, repeat count and character spacing. The font and
// the colour are looked up by name at each write, so their definitions may
// come in any order. The list owns its formatted fonts.
//
// A formatted-font line is: name, then key=value pairs (keys without regard
// to case): font, color, scale, align (left | center | right), rep, xdelta.
//
// The colour-taking WriteEx form takes the four floats of the caller's
// colour (red, green, blue, alpha in 0..1), which is how the elements hold
// their text colours.
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/stmarray.h"

namespace ko::util {
class CmcLineParSet;
}

namespace ko::gl {
class CkoxGL_Font;
}

namespace koui {

class RM;

class KOUI_API RMFmtFont : public ko::util::Cmc {
    KOUI_MC_CLASS(RMFmtFont, "koui::RMFmtFont")
public:
    RMFmtFont() = default;

    // Defines the font from `line`, read from its current parameter on.
    // False for an empty name.
    bool Create(ko::util::CmcLineParSet& line);

    // printf-style text (at most 1023 bytes) at (x, y); nothing, and false,
    // without the font or the colour.
    bool Write(double x, double y, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
    // The same with the colour's alpha multiplied by `alpha`.
    bool Write(double x, double y, double alpha, const char* fmt, ...) __attribute__((format(printf, 5, 6)));
    // The same with `align` instead of the font's alignment.
    bool WriteEx(double x, double y, double alpha, int align, const char* fmt, ...)
        __attribute__((format(printf, 6, 7)));
    // The same with `rgba` instead of the named colour (which need not exist).
    bool WriteEx(double x, double y, double alpha, int align, const float (&rgba)[4], const char* fmt, ...)
        __attribute__((format(printf, 7, 8)));
    // Width in pixels of the first n bytes of text (all when n < 0) at the
    // font's spacing and scale; 0 without the font.
    int getTextExtent(const char* text, int n);

    RM* rm = nullptr;
    char fontId[256] = {};
    char colorId[256] = {};
    double scale = 1.0;
    int32_t align = 0;  // 0 left, 1 centre, 2 right
    int32_t repCount = 0;
    double xDelta = 0;

private:
    ko::gl::CkoxGL_Font* font() const;
    bool write(double x, double y, int alignment, const double* rgba, const char* fmt, va_list args)
        __attribute__((format(printf, 6, 0)));
};

class KOUI_API RMFmtFontList : public ko::util::Cmc {
    KOUI_MC_CLASS(RMFmtFontList, "koui::RMFmtFontList")
public:
    RMFmtFontList() = default;

    // A new formatted font from the line, appended with the list's manager.
    RMFmtFont* Add(ko::util::CmcLineParSet& line);
    RMFmtFont* Get(int index) const { return items_.Get(index); }
    RMFmtFont* operator()(int index) const { return items_.Get(index); }
    RMFmtFont* GetByID(const char* id) const;
    int GetCount() const { return items_.GetCount(); }

    RM* rm = nullptr;

private:
    ko::util::CstmArray<RMFmtFont*> items_;
};

}  // namespace koui
