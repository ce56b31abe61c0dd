// Img: a small value handle to an image source or an image section that
// draws it with one of the two shared image programs (img_programs.h).
//
// It holds one ImageBase pointer (null for an empty image), owns nothing and
// is cheap to copy. The node it points to belongs to the resource tree: after
// a reload (Instance::CallResSourceChange) the old tree is gone, so holders
// look their images up again when the UI instance tells them to.
#pragma once

#include <cstdint>
#include <glm/vec2.hpp>

#include "koui/export.h"

namespace koui::res {

class ImageBase;

class KOUI_API Img {
public:
    enum Type : int32_t { kNotReady = 0, kImage = 1, kFrame = 2 };
    // Versions side by side: none, horizontally, vertically.
    enum Dist : int32_t { kNoDist = 0, kHorizontal = 1, kVertical = 2 };

    Img() = default;
    explicit Img(ImageBase* base) : base_(base) {}

    bool setImgBase(ImageBase* base) {
        base_ = base;
        return base_ != nullptr;
    }
    ImageBase* getImgBase() const { return base_; }
    bool isValid() const { return base_ != nullptr; }

    glm::vec2 getSize() const;  // section size, (0, 0) when empty
    int getWidth() const;
    int getHeight() const;
    unsigned getTexID() const;  // 0 when empty

    // Creates the two programs for the current context unless it has them
    // (programs and the vertex array are per context, so that two windows'
    // GL threads never share uniform values). Returns true; a program that
    // fails to build logs once and makes draw return false for its type on
    // that context.
    static bool glInit();

    // Draws the image into the rectangle (x, y, w, h) under `mvp` (16 floats,
    // column-major), tinted by `color` (4 floats; null for white). The image
    // program fits (flags bit 0: covers; bit 1: scales by `scale`), aligns
    // per axis (0 start, 1 centre, 2 end), flips (bits 2, 3) and samples
    // nearest (bit 4); the frame program keeps the edges of a frame section
    // and repeats its middle band. `version` picks the state variant. With
    // `autoSize`, a w or h of 0 or less becomes the section's own. False for
    // an empty or unready image or a program that could not be built; true
    // when drawn, and also when the program could not be made current (then
    // nothing is drawn).
    bool draw(const float* mvp, float x, float y, float w, float h, const float* color, int flags,
              int version, int alignX, int alignY, float scale, float offX, float offY, bool autoSize) const;

private:
    ImageBase* base_ = nullptr;
};

}  // namespace koui::res
