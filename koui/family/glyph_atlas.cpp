#include "koui/family/glyph_atlas.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstring>

namespace ko::gl {
namespace {
// Empty texels between glyphs so that filtered sampling of one glyph never
// picks up its neighbour.
constexpr int kPadding = 1;
}  // namespace

GlyphAtlas::GlyphAtlas()
    : width_(kInitialSize),
      height_(kInitialSize),
      pixels_(static_cast<size_t>(kInitialSize) * kInitialSize, 0) {}

GlyphAtlas::~GlyphAtlas() = default;

bool GlyphAtlas::add(const uint8_t* pixels, int width, int height, int pitch, AtlasRect& out) {
    if (width < 1 || height < 1 || !pixels) return false;
    if (!place(width, height, out)) return false;
    for (int row = 0; row < height; ++row)
        std::memcpy(&pixels_[static_cast<size_t>(out.y + row) * width_ + out.x],
                    pixels + static_cast<size_t>(row) * pitch, static_cast<size_t>(width));
    if (dirtyTop_ == dirtyBottom_) {
        dirtyTop_ = out.y;
        dirtyBottom_ = out.y + height;
    } else {
        dirtyTop_ = std::min(dirtyTop_, out.y);
        dirtyBottom_ = std::max(dirtyBottom_, out.y + height);
    }
    return true;
}

bool GlyphAtlas::place(int width, int height, AtlasRect& out) {
    const int w = width + kPadding;
    const int h = height + kPadding;
    if (w > kMaxSize || h > kMaxSize) return false;
    for (;;) {
        // The lowest shelf that is tall enough without wasting more than a
        // third of its height, and still has room on the right.
        Shelf* best = nullptr;
        for (Shelf& s : shelves_)
            if (s.height >= h && s.height * 2 <= h * 3 && s.used + w <= width_ &&
                (!best || s.height < best->height))
                best = &s;
        if (!best) {
            const int top = shelves_.empty() ? 0 : shelves_.back().y + shelves_.back().height;
            if (top + h <= height_ && w <= width_) {
                shelves_.push_back({top, h, 0});
                best = &shelves_.back();
            }
        }
        if (best) {
            out = {best->used, best->y, width, height};
            best->used += w;
            return true;
        }
        if (!grow()) return false;
    }
}

bool GlyphAtlas::grow() {
    if (height_ < kMaxSize && height_ <= width_) {
        height_ *= 2;
        pixels_.resize(static_cast<size_t>(width_) * height_, 0);
        return true;
    }
    if (width_ >= kMaxSize) return false;
    const int newWidth = width_ * 2;
    std::vector<uint8_t> wider(static_cast<size_t>(newWidth) * height_, 0);
    for (int row = 0; row < height_; ++row)
        std::memcpy(&wider[static_cast<size_t>(row) * newWidth], &pixels_[static_cast<size_t>(row) * width_],
                    static_cast<size_t>(width_));
    pixels_.swap(wider);
    width_ = newWidth;
    return true;
}

unsigned GlyphAtlas::upload() {
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (!texture_) glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    if (textureWidth_ != width_ || textureHeight_ != height_) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width_, height_, 0, GL_RED, GL_UNSIGNED_BYTE, pixels_.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        textureWidth_ = width_;
        textureHeight_ = height_;
    } else if (dirtyBottom_ > dirtyTop_) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, dirtyTop_, width_, dirtyBottom_ - dirtyTop_, GL_RED,
                        GL_UNSIGNED_BYTE, &pixels_[static_cast<size_t>(dirtyTop_) * width_]);
    }
    dirtyTop_ = dirtyBottom_ = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    return texture_;
}

void GlyphAtlas::releaseGL() {
    if (texture_) glDeleteTextures(1, &texture_);
    texture_ = 0;
    textureWidth_ = textureHeight_ = 0;
}

}  // namespace ko::gl
