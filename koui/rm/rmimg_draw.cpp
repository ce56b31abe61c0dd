// Drawing of classic images (GL thread, context current). Every operation
// draws at the current GL origin in the caller's fixed-function matrices.
//
// Multi-cell targets smaller than their fixed cells: a nine-cell rectangle
// narrower (lower) than two cells splits the target between its corner
// cells, each showing its whole cell squeezed, and drops the middle column
// (row); a vertical bar lower than two cells draws its top and bottom cells
// overlapping and no middle cell. The horizontal bar narrows as it always
// does: the left cell first, then the right one, each cut to what is left.
#include <GL/glew.h>

#include <algorithm>

#include "koui/family/kox_texture.h"
#include "koui/rm/rmcimg.h"
#include "koui/rm/rmimg.h"

using namespace ko::gl;

namespace koui {

namespace {

// Splits a target length into the lengths of its first, middle and last
// cell for fixed end cells of `cell` pixels.
void splitThree(int target, int cell, double& first, double& middle, double& last) {
    if (static_cast<double>(target) >= 2.0 * cell) {
        first = last = cell;
        middle = static_cast<double>(target) - 2.0 * cell;
        return;
    }
    first = target / 2;
    last = target - first;
    middle = 0;
}

// Keeps the GL matrix around a translated draw.
template <class Draw>
void translated(double dx, double dy, Draw draw) {
    glPushMatrix();
    glTranslated(dx, dy, 0);
    draw();
    glPopMatrix();
}

}  // namespace

void RMImg::Draw(double r, double g, double b, double a) {
    if (!IsReady()) return;
    if (kind == kRmKindPart || kind == kRmKindGlyph) {
        double sx, sy, sw, sh;
        sourceRect(sx, sy, sw, sh);
        source->texture->DrawPortion2D_Simple(sx, sy, sx + sw, sy + sh, 0, 0, r, g, b, a);
        return;
    }
    source->texture->Draw(r, g, b, a);
}

void RMImg::DrawPortion2D(double pw, double ph, double r, double g, double b, double a) {
    if (!IsReady() || (kind != kRmKindPart && kind != kRmKindGlyph)) return;
    double sx, sy, sw, sh;
    sourceRect(sx, sy, sw, sh);
    source->texture->DrawPortion2D(sx, sy, sx + pw, sy + ph, 0, 0, pw, ph, r, g, b, a);
}

void RMImg::DrawSection(double sx, double sy, double sw, double sh, double r, double g, double b, double a) {
    if (!IsReady()) return;
    double ox, oy, ow, oh;
    sourceRect(ox, oy, ow, oh);
    source->texture->DrawPortion2D(ox + sx, oy + sy, ox + sx + sw, oy + sy + sh, 0, 0, sw, sh, r, g, b, a);
}

void RMImg::DrawRect(int W, int H, double r, double g, double b, double a) {
    if (!IsReady()) return;
    CkoxGL_Texture* texture = source->texture;
    double sx, sy, sw, sh;
    sourceRect(sx, sy, sw, sh);
    switch (kind) {
        case kRmKindPart:
            texture->DrawPortion2D(sx, sy, sx + sw, sy + sh, 0, 0, W, H, r, g, b, a);
            return;
        case kRmKindRect:
        case kRmKindHBar:
        case kRmKindVBar:
            glColor4d(r, g, b, a);
            texture->Bind(0);
            if (kind == kRmKindRect) drawNineCells(W, H);
            if (kind == kRmKindHBar) drawHBar(W, H);
            if (kind == kRmKindVBar) drawVBar(W, H);
            texture->UnBind();
            return;
        default:
            texture->DrawPortion2D(sx, sy, sx + sw, sy + sh, 0, 0, W, H, r, g, b, a);
            return;
    }
}

void RMImg::drawNineCells(int W, int H) {
    double colW[3], rowH[3];
    splitThree(W, w, colW[0], colW[1], colW[2]);
    splitThree(H, h, rowH[0], rowH[1], rowH[2]);
    const double cx = x, cy = y, cw = w, ch = h;  // doubles: no overflow on any definition
    double dy = 0;
    for (int j = 0; j < 3; ++j) {
        double dx = 0;
        for (int i = 0; i < 3; ++i) {
            if (colW[i] > 0 && rowH[j] > 0)
                source->texture->bqPortion(cx + i * cw, cy + j * ch, cx + (i + 1) * cw, cy + (j + 1) * ch, dx,
                                           dy, dx + colW[i], dy + rowH[j]);
            dx += colW[i];
        }
        dy += rowH[j];
    }
}

void RMImg::drawHBar(int W, int H) {
    CkoxGL_Texture* texture = source->texture;
    const double cx = x, cy = y, cw = w, ch = h;
    double remaining = W;
    const double left = std::min(cw, remaining);
    if (left <= 0) return;
    texture->bqPortion(cx, cy, cx + left, cy + ch, 0, 0, left, H);
    remaining -= left;
    const double right = std::min(cw, remaining);
    if (right <= 0) return;
    texture->bqPortion(cx + 3 * cw - right, cy, cx + 3 * cw, cy + ch, W - right, 0, W, H);
    remaining -= right;
    if (remaining <= 0) return;
    texture->bqPortion(cx + cw, cy, cx + 2 * cw, cy + ch, cw, 0, cw + remaining, H);
}

void RMImg::drawVBar(int W, int H) {
    CkoxGL_Texture* texture = source->texture;
    const double cx = x, cy = y, cw = w, ch = h;
    texture->bqPortion(cx, cy, cx + cw, cy + ch, 0, 0, W, ch);
    texture->bqPortion(cx, cy + 2 * ch, cx + cw, cy + 3 * ch, 0, H - ch, W, H);
    if (H - 2 * ch > 0) texture->bqPortion(cx, cy + ch, cx + cw, cy + 2 * ch, 0, ch, W, H - ch);
}

void RMImg::DrawXY(double dx, double dy, double r, double g, double b, double a) {
    translated(dx, dy, [&] { Draw(r, g, b, a); });
}

void RMImg::DrawRectXY(double dx, double dy, int W, int H, double r, double g, double b, double a) {
    translated(dx, dy, [&] { DrawRect(W, H, r, g, b, a); });
}

void RMImg::DrawPortion2DXY(double dx, double dy, double pw, double ph, double r, double g, double b,
                            double a) {
    translated(dx, dy, [&] { DrawPortion2D(pw, ph, r, g, b, a); });
}

}  // namespace koui
