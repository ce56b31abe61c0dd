#include "koui/family/kox_texture.h"

#include <GL/glew.h>

#include <vector>

#include "koui/family/appmsg.h"
#include "koui/family/kox_image_file.h"

using namespace koui::win32;
using namespace ko::log;
using namespace ko::util;

namespace ko::gl {

namespace {

bool checkTarget(int target, const char* what) {
    if (target == 0 || target == GL_TEXTURE_2D) return true;
    appmsg("[ERROR] CkoxGL_Texture: texture target 0x%04x of %s is not supported (only GL_TEXTURE_2D)",
           static_cast<unsigned>(target), what);
    return false;
}

}  // namespace

CkoxGL_Texture::~CkoxGL_Texture() {
    Delete();
}

void CkoxGL_Texture::Delete() {
    if (id_) glDeleteTextures(1, &id_);
    id_ = 0;
    width_ = height_ = format_ = target_ = 0;
    bottomUp_ = false;
}

int CkoxGL_Texture::CreateFromFile(const char* path, const char* format, int target) {
    if (!checkTarget(target, path ? path : "(null)")) return KOX_ERROR;
    std::vector<uint8_t> bytes;
    if (!koxReadFile(path, bytes)) return KOX_ERROR;
    return CreateFromMemory(bytes.data(), bytes.size(), format, target, path);
}

int CkoxGL_Texture::CreateFromResource(int resId, const char* resType, HINSTANCE module, const char* format,
                                       int target) {
    size_t size = 0;
    const uint8_t* data = stmmGeneralGetResourceVector(module, resId, resType, &size);
    if (!data) {
        appmsg("[ERROR] CkoxGL_Texture: no resource %d of type %s", resId, resType ? resType : "(null)");
        return KOX_ERROR;
    }
    return CreateFromMemory(data, size, format, target, "a resource");
}

int CkoxGL_Texture::CreateFromMemory(const uint8_t* data, size_t size, const char* format, int target,
                                     const char* what) {
    if (!what) what = "image data";
    if (!checkTarget(target, what)) return KOX_ERROR;
    std::vector<uint8_t> rgba;
    unsigned width = 0;
    unsigned height = 0;
    if (!koxDecodeImage(data, size, format, what, rgba, width, height)) return KOX_ERROR;
    return CreateFromPixels(rgba.data(), static_cast<int>(width), static_cast<int>(height), GL_RGBA, target);
}

int CkoxGL_Texture::CreateFromPixels(const uint8_t* pixels, int width, int height, int format, int target) {
    if (!checkTarget(target, "pixels")) return KOX_ERROR;
    if (width < 1 || height < 1 || (format != GL_RGBA && format != GL_RGB)) {
        appmsg("[ERROR] CkoxGL_Texture: invalid size %dx%d or format 0x%04x", width, height,
               static_cast<unsigned>(format));
        return KOX_ERROR;
    }
    Delete();
    glGenTextures(1, &id_);
    if (!id_) {
        appmsg("[ERROR] CkoxGL_Texture: cannot create a texture (no GL context?)");
        return KOX_ERROR;
    }
    GLint previousTexture = 0;
    GLint previousAlignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, id_);
    const GLint internal = format == GL_RGBA ? GL_RGBA8 : GL_RGB8;
    glTexImage2D(GL_TEXTURE_2D, 0, internal, width, height, 0, static_cast<GLenum>(format), GL_UNSIGNED_BYTE,
                 pixels);
    // Pictures drawn smaller than their size average their pixels through
    // mipmaps instead of skipping some; at their own size or larger level 0
    // alone is read, as before. Render targets (no pixels) keep one level.
    if (pixels) glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, pixels ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    width_ = width;
    height_ = height;
    format_ = format;
    target_ = GL_TEXTURE_2D;
    return KOX_OK;
}

void CkoxGL_Texture::Bind(int unit) {
    if (!id_) return;
    boundUnit_ = unit < 0 ? 0 : unit;
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + boundUnit_));
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, id_);
}

void CkoxGL_Texture::UnBind() {
    if (boundUnit_ < 0) return;
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + boundUnit_));
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    if (boundUnit_ != 0) glActiveTexture(GL_TEXTURE0);
    boundUnit_ = -1;
}

void CkoxGL_Texture::texCoord(double sx, double sy) const {
    const double u = sx / width_;
    const double v = sy / height_;
    glTexCoord2d(u, bottomUp_ ? 1.0 - v : v);
}

void CkoxGL_Texture::emitQuad(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1,
                              double dx2, double dy2) const {
    glBegin(GL_QUADS);
    texCoord(sx1, sy1);
    glVertex2d(dx1, dy1);
    texCoord(sx2, sy1);
    glVertex2d(dx2, dy1);
    texCoord(sx2, sy2);
    glVertex2d(dx2, dy2);
    texCoord(sx1, sy2);
    glVertex2d(dx1, dy2);
    glEnd();
}

void CkoxGL_Texture::Draw(double r, double g, double b, double a) {
    DrawPortion2D(0, 0, width_, height_, 0, 0, width_, height_, r, g, b, a);
}

void CkoxGL_Texture::DrawPortion2D(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1,
                                   double dx2, double dy2, double r, double g, double b, double a) {
    if (!id_) return;
    glColor4d(r, g, b, a);
    Bind(0);
    emitQuad(sx1, sy1, sx2, sy2, dx1, dy1, dx2, dy2);
    UnBind();
}

void CkoxGL_Texture::DrawPortion2D_Simple(double sx1, double sy1, double sx2, double sy2, double dx,
                                          double dy, double r, double g, double b, double a) {
    DrawPortion2D(sx1, sy1, sx2, sy2, dx, dy, dx + (sx2 - sx1), dy + (sy2 - sy1), r, g, b, a);
}

void CkoxGL_Texture::bqPortion(double sx1, double sy1, double sx2, double sy2, double dx1, double dy1,
                               double dx2, double dy2) {
    if (!id_) return;
    emitQuad(sx1, sy1, sx2, sy2, dx1, dy1, dx2, dy2);
}

}  // namespace ko::gl
