#include "koui/res/img.h"

#include <GL/glew.h>

#include "koui/family/context_objects.h"
#include "koui/family/glsl_program.h"
#include "koui/res/image_base.h"
#include "koui/res/img_programs.h"

namespace koui::res {

namespace {

// The two programs, made per context on its first image draw (see
// ko::gl::contextProgram). Made on first use: the texts live in another
// file, whose initialisation order against this one is not defined.
const ko::gl::ProgramText& imageText() {
    static const ko::gl::ProgramText text{programs::kImageVertex, programs::kImageFragment};
    return text;
}

const ko::gl::ProgramText& frameText() {
    static const ko::gl::ProgramText text{programs::kFrameVertex, programs::kFrameFragment};
    return text;
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
    ko::gl::contextProgram(imageText());
    ko::gl::contextProgram(frameText());
    return true;
}

bool Img::draw(const float* mvp, float x, float y, float w, float h, const float* color, int flags,
               int version, int alignX, int alignY, float scale, float offX, float offY,
               bool autoSize) const {
    // An image source that never loaded (or a section of one) has no texture.
    if (!base_ || !base_->getTexID()) return false;
    const Img::Type type = base_->getType();
    ko::glsl::Program* program = type == kImage   ? ko::gl::contextProgram(imageText())
                                 : type == kFrame ? ko::gl::contextProgram(frameText())
                                                  : nullptr;
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
