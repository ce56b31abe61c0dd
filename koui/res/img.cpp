#include "koui/res/img.h"

#include <GL/glew.h>

#include <mutex>

#include "koui/family/context_vertex_array.h"
#include "koui/family/glsl_program.h"
#include "koui/res/image_base.h"
#include "koui/res/img_programs.h"

namespace koui::res {

namespace {

// The programs shared by every image of every window: made once, on the
// first context that draws, and kept for the life of the process. (The
// vertex array object is per context: ko::gl::contextVertexArray.)
struct SharedGL {
    std::mutex lock;
    ko::glsl::Program* image = nullptr;
    ko::glsl::Program* frame = nullptr;
};

SharedGL& shared() {
    static SharedGL* gl = new SharedGL;  // never destroyed: GL objects outlive static destruction order
    return *gl;
}

constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

glm::vec2 Img::getSize() const {
    return {static_cast<float>(getWidth()), static_cast<float>(getHeight())};
}

int Img::getWidth() const {
    const int* size = base_ ? base_->getSectionSize() : nullptr;
    return size ? size[0] : 0;
}

int Img::getHeight() const {
    const int* size = base_ ? base_->getSectionSize() : nullptr;
    return size ? size[1] : 0;
}

unsigned Img::getTexID() const {
    return base_ ? base_->getTexID() : 0;
}

bool Img::glInit() {
    SharedGL& gl = shared();
    std::lock_guard guard(gl.lock);
    if (!gl.image)
        gl.image =
            ko::glsl::Program::CreateFromVertFragText(programs::kImageVertex, programs::kImageFragment);
    if (!gl.frame)
        gl.frame =
            ko::glsl::Program::CreateFromVertFragText(programs::kFrameVertex, programs::kFrameFragment);
    return true;
}

bool Img::draw(const float* mvp, float x, float y, float w, float h, const float* color, int flags,
               int version, int alignX, int alignY, float scale, float offX, float offY,
               bool autoSize) const {
    // An image source that never loaded (or a section of one) has no texture.
    if (!base_ || !base_->getTexID()) return false;
    glInit();
    SharedGL& gl = shared();
    ko::glsl::Program* program = nullptr;
    {
        std::lock_guard guard(gl.lock);
        const Img::Type type = base_->getType();
        program = type == kImage ? gl.image : type == kFrame ? gl.frame : nullptr;
    }
    if (!program) return false;
    if (!program->Use(false)) return true;

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, base_->getTexID());
    const int* sectionSize = base_->getSectionSize();
    const int size[2] = {sectionSize ? sectionSize[0] : 0, sectionSize ? sectionSize[1] : 0};
    if (autoSize) {
        if (w <= 0) w = static_cast<float>(size[0]);
        if (h <= 0) h = static_cast<float>(size[1]);
    }
    int versionPos[2];
    base_->getVerPos(versionPos, version);
    program->setUniform1i("stex", 0);
    program->setUniformMat4fv("mvp", mvp, 1, false);
    program->setUniform2f("pos", x, y);
    program->setUniform2f("size", w, h);
    program->setUniform4fv("color", color ? color : kWhite, 1);
    program->setUniform1i("flags", flags);
    program->setUniform2i("align", alignX, alignY);
    program->setUniform2iv("section_pos", versionPos, 1);
    program->setUniform2iv("section_size", size, 1);
    program->setUniform2iv("section_sep", base_->getSectionSep(), 1);
    program->setUniform1f("scale", scale);
    program->setUniform2f("off", offX, offY);

    glBindVertexArray(ko::gl::contextVertexArray());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    program->UnUse();
    return true;
}

}  // namespace koui::res
