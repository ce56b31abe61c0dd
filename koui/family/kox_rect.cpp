#include "koui/family/kox_rect.h"

#include <GL/glew.h>

namespace ko::gl {

namespace {

void quad(double x, double y, double w, double h) {
    glVertex2d(x, y);
    glVertex2d(x + w, y);
    glVertex2d(x + w, y + h);
    glVertex2d(x, y + h);
}

}  // namespace

void koxGL_FillRect(double x, double y, double w, double h, const float* rgba) {
    if (!rgba) return;
    koxGL_FillRect(x, y, w, h, rgba[0], rgba[1], rgba[2], rgba[3]);
}

void koxGL_FillRect(double x, double y, double w, double h, double r, double g, double b, double a) {
    glColor4d(r, g, b, a);
    if (w <= 0 || h <= 0) return;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    quad(x, y, w, h);
    glEnd();
}

void koxGL_DrawRect(double x, double y, double w, double h) {
    if (w <= 0 || h <= 0) return;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    quad(x, y, w, 1);  // top row
    if (h > 1) {
        quad(x, y + h - 1, w, 1);  // bottom row
        if (h > 2) {
            quad(x, y + 1, 1, h - 2);  // left column between them
            if (w > 1) quad(x + w - 1, y + 1, 1, h - 2);
        }
    }
    glEnd();
}

}  // namespace ko::gl
