// CkoxGL_Texture: a 2D texture drawn with the fixed-function pipeline, for
// the classic images and for showing frame buffers.
//
// Drawing happens in the current model-view and projection matrices with
// one unit per pixel: the texture's pixel (0, 0) is its top left corner.
// Colours tint the texels (GL_MODULATE). Source rectangles are given by
// their corners (x1, y1, x2, y2) in texture pixels, rows counted from the
// top of the picture, and so are destination rectangles in drawing units.
//
// A texture made from a file or from pixels holds its rows top first. A frame
// buffer's colour texture holds them bottom first (GL renders that way); it
// is marked so, and every draw reads it the right way up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"
#include "koui/family/kox_types.h"
#include "koui/family/module_resources.h"

namespace ko::gl {

class KOUI_API CkoxGL_Texture {
public:
    CkoxGL_Texture() = default;
    // Deletes the GL texture (its context current).
    ~CkoxGL_Texture();
    CkoxGL_Texture(const CkoxGL_Texture&) = delete;
    CkoxGL_Texture& operator=(const CkoxGL_Texture&) = delete;

    // From an image file. `format` names the file format ("png"; null or
    // empty: png); `target` must be GL_TEXTURE_2D (0x0DE1) or 0, meaning the
    // same. The texture gets the RGBA format (0x1908). KOX_OK or KOX_ERROR.
    int CreateFromFile(const char* path, const char* format = nullptr, int target = 0x0DE1);
    // From the bytes of an image file registered as a module resource
    // (stmmGeneralGetResourceVector).
    int CreateFromResource(int resId, const char* resType, koui::win32::HINSTANCE module,
                           const char* format = nullptr, int target = 0x0DE1);
    // From the bytes of an image file in memory; `what` labels messages.
    int CreateFromMemory(const uint8_t* data, size_t size, const char* format, int target, const char* what);
    // From raw pixels, rows top first: `format` GL_RGBA (4 bytes a pixel) or
    // GL_RGB (3 bytes, rows packed without padding). Null `pixels` leaves the
    // texels undefined (a render target).
    int CreateFromPixels(const uint8_t* pixels, int width, int height, int format = 0x1908,
                         int target = 0x0DE1);
    void Delete();

    // Binds to texture unit `unit` and turns fixed-function texturing on.
    void Bind(int unit = 0);
    // Unbinds from the unit Bind used and turns texturing off.
    void UnBind();

    // The whole texture at (0, 0) with its pixel size.
    void Draw(double r, double g, double b, double a);
    // Source rectangle into destination rectangle, stretched.
    void DrawPortion2D(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1, double dx2,
                       double dy2, double r, double g, double b, double a);
    // Source rectangle at its own size with its top left at (dx, dy).
    void DrawPortion2D_Simple(double sx1, double sy1, double sx2, double sy2, double dx, double dy, double r,
                              double g, double b, double a);
    // One textured quad, source into destination, in the current GL colour;
    // call between Bind and UnBind (nine of these draw a framed rectangle).
    void bqPortion(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1, double dx2,
                   double dy2);

    bool IsValid() const { return id_ != 0; }
    unsigned GetID() const { return id_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // GL pixel format: 0x1908 (GL_RGBA) or 0x1907 (GL_RGB); 0 when empty.
    int GetFormat() const { return format_; }
    int GetTarget() const { return target_; }

    // Marks the rows as stored bottom first (frame-buffer textures).
    void SetRowsBottomUp(bool bottomUp) { bottomUp_ = bottomUp; }
    bool GetRowsBottomUp() const { return bottomUp_; }

private:
    void texCoord(double sx, double sy) const;
    void emitQuad(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1, double dx2,
                  double dy2) const;

    unsigned id_ = 0;
    int width_ = 0;
    int height_ = 0;
    int format_ = 0;
    int target_ = 0;
    int boundUnit_ = -1;
    bool bottomUp_ = false;
};

}  // namespace ko::gl
