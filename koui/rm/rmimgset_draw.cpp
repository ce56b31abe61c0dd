// Drawing of image sets: image operations by id, glyph strings and the
// progress bar (GL thread, context current).
#include <GL/glew.h>

#include <cstdarg>
#include <cstdio>

#include "koui/rm/rmimgset.h"

namespace koui {

void RMImgSet::Draw(int id, double r, double g, double b, double a, int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->Draw(r, g, b, a);
}

void RMImgSet::DrawRect(int id, int W, int H, double r, double g, double b, double a, int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawRect(W, H, r, g, b, a);
}

void RMImgSet::DrawPortion2D(int id, double pw, double ph, double r, double g, double b, double a,
                             int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawPortion2D(pw, ph, r, g, b, a);
}

void RMImgSet::DrawSection(int id, double sx, double sy, double sw, double sh, double r, double g, double b,
                           double a, int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawSection(sx, sy, sw, sh, r, g, b, a);
}

void RMImgSet::DrawXY(int id, double dx, double dy, double r, double g, double b, double a, int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawXY(dx, dy, r, g, b, a);
}

void RMImgSet::DrawRectXY(int id, double dx, double dy, int W, int H, double r, double g, double b, double a,
                          int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawRectXY(dx, dy, W, H, r, g, b, a);
}

void RMImgSet::DrawPortion2DXY(int id, double dx, double dy, double pw, double ph, double r, double g,
                               double b, double a, int altId) {
    if (RMImg* image = GetByImageID(id, altId)) image->DrawPortion2DXY(dx, dy, pw, ph, r, g, b, a);
}

void RMImgSet::DrawGlpyh(double r, double g, double b, double a, double spacing, const char* fmt, ...) {
    if (!fmt) return;
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);

    glPushMatrix();
    for (const char* c = text; *c; ++c) {
        // Glyph ids are the characters' codes as signed bytes, as Build made them.
        if (RMImg* image = GetByImageID(static_cast<signed char>(*c), 65535)) {
            image->Draw(r, g, b, a);
            glTranslated(image->GetWidth() + spacing, 0, 0);
        } else if (*c == ' ') {
            glTranslated(spacing + glyphWidth, 0, 0);
        }
    }
    glPopMatrix();
}

bool RMImgSet::ProgBar_Draw(double x, double y, double norm, int direction) {
    const int W = GetWidth();
    const int H = GetHeight();
    const double filled = W * norm;  // NaN and out-of-range values end at an edge
    const int f = filled > 0 ? (filled < W ? static_cast<int>(filled) : W) : 0;
    glPushMatrix();
    glTranslated(x, y, 0);
    if (RMImg* empty = GetByImageID(0, 0)) empty->Draw(1, 1, 1, 1);
    if (RMImg* full = GetByImageID(1, 1)) {
        if (direction == 1) {
            glTranslated(W - f, 0, 0);
            full->DrawSection(W - f, 0, f, H, 1, 1, 1, 1);
        } else {
            full->DrawSection(0, 0, f, H, 1, 1, 1, 1);
        }
    }
    glPopMatrix();
    return true;
}

}  // namespace koui
