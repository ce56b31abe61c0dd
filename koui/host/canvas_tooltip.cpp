// Canvas: the tooltip, painted over everything at the end of each Draw.
#include <GL/glew.h>

#include <algorithm>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/gl_font.h"
#include "koui/family/glyph_vector.h"
#include "koui/family/kox_rect.h"
#include "koui/family/numeric.h"
#include "koui/host/canvas.h"
#include "koui/res/instance.h"

using namespace ko::gl;
using namespace ko::util;

namespace koui {

namespace {

// A copy of the resource colour at `key` with its alpha faded by `opacity`.
void fadedColor(res::Instance* ri, const char* key, double opacity, float* out) {
    const float* c = ri->color(key);
    std::copy(c, c + 4, out);
    out[3] = static_cast<float>(out[3] * opacity);
}

}  // namespace

bool Canvas::toolTipRect(float textW, float textH, int pad, int minLen, float* box) const {
    if (!box) return false;
    float w = std::max(textW, static_cast<float>(minLen)) + 2.0f * static_cast<float>(pad);
    float h = std::max(textH, 0.0f) + 2.0f * static_cast<float>(pad);
    float left = toolTipPos[0] + 20.0f - static_cast<float>(pad);
    float top = toolTipPos[1] + 15.0f - static_cast<float>(pad);
    if (left + w > static_cast<float>(viewport[2])) left = static_cast<float>(viewport[2]) - w;
    if (top + h > static_cast<float>(viewport[3])) top = static_cast<float>(viewport[3]) - h;
    box[0] = left;
    box[1] = top;
    box[2] = w;
    box[3] = h;
    return true;
}

// The opacity follows its target every frame, shown or not, so that a
// tooltip fades out after the pointer moves. The model-view matrix is the
// canvas's client transform (Draw sets it), in which the box is drawn.
void Canvas::drawToolTip(e_draw*) {
    toolTipOpacity = stEasyEasyDP(toolTipOpacity, toolTipTarget, 5.0, 0.01);
    if (toolTipOpacity != toolTipTarget) requestFrame();  // still fading
    if (!(toolTipOpacity > 0)) return;
    ko::gl::Font* tipFont = font("!tooltip.tip-font");
    res::Instance* ri = resInst();
    if (!tipFont || !ri) return;
    float back[4], fore[4], border[4];
    fadedColor(ri, "!tooltip.tip-color-back", toolTipOpacity, back);
    fadedColor(ri, "!tooltip.tip-color-font", toolTipOpacity, fore);
    fadedColor(ri, "!tooltip.tip-color-border", toolTipOpacity, border);
    const int pad = value1i("!tooltip.padding", 5);
    const int minLen = value1i("!tooltip.min-lenght", 50);

    ko::gl::FontGlyphVector layout;
    layout.Process(tipFont, 1e10f, 1e10f, 0, 0, 1, 1, 0, toolTipText);
    float bounds[4];
    layout.calculateBoundindBox(bounds);
    float box[4];
    toolTipRect(bounds[2] - bounds[0], bounds[3] - bounds[1], pad, minLen, box);

    koxGL_FillRect(box[0], box[1], box[2], box[3], back);
    glColor4fv(border);
    koxGL_DrawRect(box[0], box[1], box[2], box[3]);
    tipFont->write(glm::value_ptr(mvp), fore, box[0] + static_cast<float>(pad),
                   box[1] + static_cast<float>(pad), toolTipText);
}

}  // namespace koui
