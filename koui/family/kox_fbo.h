// CkoxGL_FBO: an off-screen frame buffer with a colour texture, drawn into
// with the same 2D projection as a window (one unit per pixel, origin top
// left, y downwards) and shown afterwards through its texture.
//
// Begin2D saves what it changes (frame-buffer binding, viewport, scissor,
// clear colour, projection and model-view matrices) and End restores it, so
// frame buffers nest: one may be drawn while another is being drawn into.
#pragma once

#include "koui/export.h"
#include "koui/family/kox_texture.h"
#include "koui/family/kox_types.h"

namespace ko::gl {

class KOUI_API CkoxGL_FBO {
public:
    CkoxGL_FBO() = default;
    // Deletes the GL objects (their context current).
    ~CkoxGL_FBO();
    CkoxGL_FBO(const CkoxGL_FBO&) = delete;
    CkoxGL_FBO& operator=(const CkoxGL_FBO&) = delete;

    // Makes (or remakes, at a new size) the frame buffer.
    //   depthStencil  non-zero attaches a 24-bit depth, 8-bit stencil buffer
    //   nearest       non-zero samples the colour texture with the nearest
    //                 texel instead of linear filtering
    //   format        colour format: GL_RGB (0x1907) or GL_RGBA (0x1908)
    //   target        GL_TEXTURE_2D (0x0DE1) or 0, meaning the same
    //   reserved      ignored
    // KOX_OK, or KOX_ERROR (with a message) for a size below 1 x 1, another
    // format or target, or a frame buffer GL reports incomplete.
    int Create(int width, int height, int depthStencil, int nearest, int format, int target, int reserved);
    void Delete();

    // Binds the frame buffer, sets the viewport and 2D projection to its size,
    // the model-view matrix to identity, and clears it to (r, g, b, a)
    // (scissoring off). False when not created.
    bool Begin2D(double r, double g, double b, double a);
    // Re-applies viewport, projection and identity model-view for a size of
    // width x height; a negative value takes the frame buffer's own.
    void Set2D(int width, int height);
    // Ends drawing into this frame buffer and restores what Begin2D saved.
    // With `next`, drawing goes on in that one instead (bound, with its 2D
    // projection, not cleared).
    void End(CkoxGL_FBO* next);

    bool IsValid() const { return fbo_ != 0; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    CkoxGL_Texture& GetTexture() { return texture_; }
    const CkoxGL_Texture& GetTexture() const { return texture_; }
    unsigned GetID() const { return fbo_; }

private:
    unsigned fbo_ = 0;
    unsigned depthStencil_ = 0;
    int width_ = 0;
    int height_ = 0;
    CkoxGL_Texture texture_;

    bool active_ = false;
    int savedFramebuffer_ = 0;
    int savedViewport_[4] = {};
    int savedScissor_[4] = {};
    bool savedScissorOn_ = false;
    float savedClear_[4] = {};
    double savedProjection_[16] = {};
    double savedModelView_[16] = {};
};

}  // namespace ko::gl
