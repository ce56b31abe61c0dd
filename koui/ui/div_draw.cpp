// Div: the default drawing of an element's own rectangle, then its
// arrangement program (div_arrange.cpp).
//
// Elements without a style draw classically: their image set's image for the
// current state, or a box in their classic fill and outline colours. Styled
// elements draw their style image, or else a rounded, bordered background
// through the shared background program (background_program.h).
#include <GL/glew.h>

#include <glm/gtc/type_ptr.hpp>

#include "koui/family/glsl_program.h"
#include "koui/family/kox_rect.h"
#include "koui/rm/rmimg.h"
#include "koui/rm/rmimgset.h"
#include "koui/ui/background_program.h"
#include "koui/ui/div.h"

using namespace ko::gl;

namespace koui {

namespace {

constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

// The arrangement program draws over the background, in the client area.
void Div::OnDraw(e_draw*) {
    drawBackground();
    UIArrange();
}

void Div::drawBackground() {
    const int w = static_cast<int>(realSize[0]);
    const int h = static_cast<int>(realSize[1]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(frameMat));
    if (stylePath.empty())
        drawClassic(w, h);
    else if (styleImage.isValid())
        styleImage.draw(glm::value_ptr(frameMvp), 0, 0, static_cast<float>(w), static_cast<float>(h), kWhite,
                        static_cast<int>(imageFlags), static_cast<int>(currentIndex),
                        static_cast<int>(imageAlignH), static_cast<int>(imageAlignV), imageScale, 0, 0, true);
    else
        drawStyledBackground();
}

// Multi-state nine-cell sets stretch the state's image over the client size;
// part sets draw it at its own size; a disabled element shows it faintly.
void Div::drawClassic(int w, int h) {
    if (!imageSet) {
        koxGL_FillRect(0, 0, w, h, colorSet.entry[0].rgbaf);
        glColor4fv(colorSet.entry[1].rgbaf);
        koxGL_DrawRect(0, 0, w, h);
        return;
    }
    const double alpha = IsEnabled() ? 1.0 : 0.25;
    const int kind = imageSet->setKind;
    RMImg* img = imageSet->GetByImageID(static_cast<int>(currentIndex), 0);
    if (!img) return;
    if (kind == kRmKindMRectH || kind == kRmKindMRectV)
        img->DrawRect(static_cast<int>(clientSize[0]), static_cast<int>(clientSize[1]), 1, 1, 1, alpha);
    if (kind == kRmKindPart || kind == kRmKindMPartH || kind == kRmKindMPartV) img->Draw(1, 1, 1, alpha);
}

// One program bind, eight uniforms and four vertices; a program that cannot
// be made (or used) leaves the element undrawn this time. The uniforms'
// locations are kept by the program under fixed slots, and the program is
// current, so each value is one plain glUniform call.
void Div::drawStyledBackground() {
    ko::glsl::Program* program = nullptr;
    unsigned vertexArray = 0;
    if (!background::acquire(&program, &vertexArray) || !program->Use(false)) return;
    glActiveTexture(GL_TEXTURE0);
    enum : unsigned { kMvp, kPos, kSize, kBkColor, kBorderSize, kBorderRadius, kBorderColor, kEdgeSmooth };
    glUniformMatrix4fv(program->uniformLocation(kMvp, "mvp"), 1, GL_FALSE, glm::value_ptr(frameMvp));
    glUniform2f(program->uniformLocation(kPos, "pos"), 0, 0);
    glUniform2f(program->uniformLocation(kSize, "size"), realSize[0], realSize[1]);
    glUniform4fv(program->uniformLocation(kBkColor, "bkcolor"), 1, bkColor);
    glUniform1f(program->uniformLocation(kBorderSize, "border_size"), borderSize);
    glUniform1f(program->uniformLocation(kBorderRadius, "border_radius"), borderRadius);
    glUniform4fv(program->uniformLocation(kBorderColor, "border_color"), 1, borderColor);
    glUniform1f(program->uniformLocation(kEdgeSmooth, "edge_smooth"), edgeSmooth ? 1.0f : 0.0f);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    program->UnUse();
}

}  // namespace koui
