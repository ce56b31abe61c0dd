#include "koui/host/offscreen.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>

#include "koui/family/kox_fbo.h"
#include "koui/host/canvas.h"

using namespace ko::gl;

namespace koui {

namespace {

// Blending and depth test as found, put back when the render ends.
class BlendState {
public:
    BlendState() {
        blend_ = glIsEnabled(GL_BLEND);
        depth_ = glIsEnabled(GL_DEPTH_TEST);
        glGetIntegerv(GL_BLEND_SRC_RGB, &srcRgb_);
        glGetIntegerv(GL_BLEND_DST_RGB, &dstRgb_);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &srcAlpha_);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &dstAlpha_);
    }
    ~BlendState() {
        glBlendFuncSeparate(static_cast<GLenum>(srcRgb_), static_cast<GLenum>(dstRgb_),
                            static_cast<GLenum>(srcAlpha_), static_cast<GLenum>(dstAlpha_));
        if (blend_)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        if (depth_)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
    }
    BlendState(const BlendState&) = delete;
    BlendState& operator=(const BlendState&) = delete;

private:
    GLboolean blend_, depth_;
    GLint srcRgb_ = GL_ONE, dstRgb_ = GL_ZERO, srcAlpha_ = GL_ONE, dstAlpha_ = GL_ZERO;
};

}  // namespace

std::vector<uint8_t> readPixels(int width, int height) {
    if (width < 1 || height < 1) return {};
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> bottomUp(rowBytes * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL counts rows from the bottom; images count them from the top.
    std::vector<uint8_t> topDown(bottomUp.size());
    for (size_t y = 0; y < static_cast<size_t>(height); ++y)
        std::memcpy(&topDown[y * rowBytes], &bottomUp[(static_cast<size_t>(height) - 1 - y) * rowBytes],
                    rowBytes);
    return topDown;
}

std::vector<uint8_t> renderToPixels(Canvas& canvas, int width, int height, const float* clear) {
    static constexpr float kOpaqueBlack[4] = {0, 0, 0, 1};
    const float* c = clear ? clear : kOpaqueBlack;
    CkoxGL_FBO target;
    if (target.Create(width, height, 0, 1, GL_RGB, GL_TEXTURE_2D, 0) != KOX_OK) return {};
    BlendState saved;
    int32_t viewport[4];
    std::copy(canvas.viewport, canvas.viewport + 4, viewport);
    target.Begin2D(c[0], c[1], c[2], c[3]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    canvas.setViewport(0, 0, width, height);
    canvas.Iterate();
    canvas.Draw();
    std::vector<uint8_t> pixels = readPixels(width, height);
    target.End(nullptr);
    canvas.setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return pixels;
}

}  // namespace koui
