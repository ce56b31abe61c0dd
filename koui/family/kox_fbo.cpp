#include "koui/family/kox_fbo.h"

#include <GL/glew.h>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::gl {

CkoxGL_FBO::~CkoxGL_FBO() {
    Delete();
}

void CkoxGL_FBO::Delete() {
    if (depthStencil_) glDeleteRenderbuffers(1, &depthStencil_);
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    depthStencil_ = fbo_ = 0;
    width_ = height_ = 0;
    texture_.Delete();
}

int CkoxGL_FBO::Create(int width, int height, int depthStencil, int nearest, int format, int target,
                       int /*reserved*/) {
    if (width < 1 || height < 1) {
        appmsg("[ERROR] CkoxGL_FBO: invalid size %dx%d", width, height);
        return KOX_ERROR;
    }
    if (format != GL_RGB && format != GL_RGBA) {
        appmsg("[ERROR] CkoxGL_FBO: colour format 0x%04x is not supported", static_cast<unsigned>(format));
        return KOX_ERROR;
    }
    Delete();
    if (texture_.CreateFromPixels(nullptr, width, height, format, target) != KOX_OK) return KOX_ERROR;
    texture_.SetRowsBottomUp(true);
    const GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glBindTexture(GL_TEXTURE_2D, texture_.GetID());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));

    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_.GetID(), 0);
    if (depthStencil) {
        glGenRenderbuffers(1, &depthStencil_);
        glBindRenderbuffer(GL_RENDERBUFFER, depthStencil_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depthStencil_);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        appmsg("[ERROR] CkoxGL_FBO: frame buffer %dx%d incomplete (0x%04x)", width, height, status);
        Delete();
        return KOX_ERROR;
    }
    width_ = width;
    height_ = height;
    return KOX_OK;
}

bool CkoxGL_FBO::Begin2D(double r, double g, double b, double a) {
    if (!fbo_) return false;
    if (!active_) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &savedFramebuffer_);
        glGetIntegerv(GL_VIEWPORT, savedViewport_);
        glGetIntegerv(GL_SCISSOR_BOX, savedScissor_);
        savedScissorOn_ = glIsEnabled(GL_SCISSOR_TEST);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear_);
        glGetDoublev(GL_PROJECTION_MATRIX, savedProjection_);
        glGetDoublev(GL_MODELVIEW_MATRIX, savedModelView_);
        active_ = true;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glDisable(GL_SCISSOR_TEST);
    Set2D(-1, -1);
    glClearColor(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a));
    glClear(GL_COLOR_BUFFER_BIT | (depthStencil_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    return true;
}

void CkoxGL_FBO::Set2D(int width, int height) {
    const int w = width < 0 ? width_ : width;
    const int h = height < 0 ? height_ : height;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CkoxGL_FBO::End(CkoxGL_FBO* next) {
    if (active_) {
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(savedFramebuffer_));
        glViewport(savedViewport_[0], savedViewport_[1], savedViewport_[2], savedViewport_[3]);
        glScissor(savedScissor_[0], savedScissor_[1], savedScissor_[2], savedScissor_[3]);
        savedScissorOn_ ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
        glClearColor(savedClear_[0], savedClear_[1], savedClear_[2], savedClear_[3]);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(savedProjection_);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(savedModelView_);
        active_ = false;
    }
    if (next && next != this && next->fbo_) {
        glBindFramebuffer(GL_FRAMEBUFFER, next->fbo_);
        next->Set2D(-1, -1);
    }
}

}  // namespace ko::gl
