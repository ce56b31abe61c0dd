// ko::gl::GlyphAtlas: glyph bitmaps packed into one 8-bit texture.
//
// The packing lives in memory and needs no GL context: glyphs are added when
// first drawn, and the texture is created or brought up to date by upload()
// just before a draw, so a font can be made on any thread and its texture
// appears on the thread that draws it. Rows of shelves hold the glyphs; when
// a glyph fits nowhere the atlas doubles (height first, then width) and
// keeps every placed glyph where it was, so their positions stay valid.
#pragma once

#include <cstdint>
#include <vector>

#include "koui/export.h"

namespace ko::gl {

struct KOUI_API AtlasRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class KOUI_API GlyphAtlas {
public:
    static constexpr int kInitialSize = 256;
    static constexpr int kMaxSize = 8192;

    GlyphAtlas();
    ~GlyphAtlas();
    GlyphAtlas(const GlyphAtlas&) = delete;
    GlyphAtlas& operator=(const GlyphAtlas&) = delete;

    // Copies a `width` x `height` coverage bitmap (rows `pitch` bytes apart,
    // top row first) into free space and returns where. False when the
    // glyph would not fit even in the largest atlas.
    bool add(const uint8_t* pixels, int width, int height, int pitch, AtlasRect& out);

    // Creates the texture on the current context, or uploads what changed
    // since the last call. Returns the texture name (0 on failure).
    unsigned upload();
    // Deletes the texture (current context needed); the packing is kept, so
    // the next upload() makes it again.
    void releaseGL();

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    unsigned texture() const { return texture_; }

private:
    struct Shelf {
        int y;
        int height;
        int used;  // width taken from the left
    };

    bool place(int width, int height, AtlasRect& out);
    bool grow();

    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
    std::vector<Shelf> shelves_;
    // Rows changed since the last upload: [dirtyTop_, dirtyBottom_).
    int dirtyTop_ = 0;
    int dirtyBottom_ = 0;
    unsigned texture_ = 0;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

}  // namespace ko::gl
