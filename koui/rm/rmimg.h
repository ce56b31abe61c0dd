// One image of the classic resource manager: a rectangle of a source image
// with an id and a kind that decides how it stretches when drawn.
//
// Drawing happens at the current GL origin (the caller translates) with the
// fixed-function matrices the caller has set up; an image whose source
// texture is not loaded draws nothing.
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"

namespace koui {

class RMCImg;

// Image kinds, also the kinds of image sets (the word after "!" in a set
// definition).
enum RMImgKind : int {
    kRmKindImg = 0,    // whole texture
    kRmKindPart = 1,   // a rectangle of the source
    kRmKindRect = 10,  // nine cells of w x h
    kRmKindHBar = 11,  // three cells side by side
    kRmKindVBar = 12,  // three cells stacked
    kRmKindMRectH = 20,
    kRmKindMRectV = 21,
    kRmKindMPartH = 30,
    kRmKindMPartV = 31,
    kRmKindMHBarH = 40,
    kRmKindMHBarV = 41,
    kRmKindMVBarH = 50,
    kRmKindMVBarV = 51,
    kRmKindGlyph = 60,
};

class KOUI_API RMImg : public ko::util::Cmc {
    KOUI_MC_CLASS(RMImg, "koui::RMImg")
public:
    RMImg() = default;
    // Whole-source image of kind 0.
    RMImg(int id, RMCImg* source);
    RMImg(int id, RMCImg* source, int x, int y, int w, int h, int kind);

    // Ready when the source texture is loaded.
    bool IsReady() const;

    // w/h for kinds 1, 10, 11, 12 and 60, else the texture size (0 before it loads).
    int GetWidth() const;
    int GetHeight() const;
    // Smallest size that shows every cell: w for 1 and 12, 3w for 10 and
    // 11, else the texture width (and the same for heights with 1 and 11,
    // 10 and 12).
    int GetMinWidth() const;
    int GetMinHeight() const;

    // Kinds 1 and 60: the rectangle at its own size; others: the whole texture.
    void Draw(double r, double g, double b, double a);
    // Kinds 1 and 60: the top-left pw x ph pixels of the rectangle at that size.
    void DrawPortion2D(double pw, double ph, double r, double g, double b, double a);
    // The sub-rectangle (sx, sy, sw, sh) of the rectangle, drawn at size sw x sh.
    void DrawSection(double sx, double sy, double sw, double sh, double r, double g, double b, double a);
    // Into (0, 0, W, H) by kind: part stretched, nine cells, three cells.
    // A nine-cell target narrower (lower) than two cells splits its width
    // (height) between the corner cells, squeezed, without middle column
    // (row); a vertical bar lower than two cells overlaps its end cells and
    // has no middle; a horizontal bar narrower than three cells shows the
    // left cell, then what fits of the right one, each cut, not squeezed.
    void DrawRect(int W, int H, double r, double g, double b, double a);

    void DrawXY(double dx, double dy, double r, double g, double b, double a);
    void DrawRectXY(double dx, double dy, int W, int H, double r, double g, double b, double a);
    void DrawPortion2DXY(double dx, double dy, double pw, double ph, double r, double g, double b, double a);

    int32_t kind = 0;
    int32_t imageId = 0;
    RMCImg* source = nullptr;  // not owned
    int32_t x = -1;
    int32_t y = -1;
    int32_t w = 0;
    int32_t h = 0;

private:
    bool isWholeSource() const { return x == -1 && y == -1 && w == 0 && h == 0; }
    // The image's rectangle in source pixels (the whole texture for a whole-source image).
    void sourceRect(double& sx, double& sy, double& sw, double& sh) const;
    void drawNineCells(int W, int H);
    void drawHBar(int W, int H);
    void drawVBar(int W, int H);
};

}  // namespace koui
