// Rectangles in the current fixed-function transform (the 2D projection puts
// one unit on one pixel, origin top left). A rectangle (x, y, w, h) covers
// the pixels whose centres lie inside it, so whole-pixel values cover exactly
// columns x .. x+w-1 and rows y .. y+h-1.
#pragma once

#include "koui/export.h"

namespace ko::gl {

// Filled rectangle in the colour `rgba` (four floats; null draws nothing).
// Leaves that colour as the current GL colour. Nothing for w or h <= 0.
KOUI_API void koxGL_FillRect(double x, double y, double w, double h, const float* rgba);
KOUI_API void koxGL_FillRect(double x, double y, double w, double h, double r, double g, double b, double a);

// One-pixel outline along the inside of the rectangle, in the current GL
// colour (set it with glColor first): the first and last rows and columns
// of the filled rectangle, each pixel drawn once, so translucent colours stay
// even at the corners.
KOUI_API void koxGL_DrawRect(double x, double y, double w, double h);

}  // namespace ko::gl
