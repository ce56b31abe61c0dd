// Off-screen rendering: a canvas drawn into a frame buffer of its own and
// read back as pixels, for tests, screenshots and tools that need a picture
// of an element tree without showing a window.
//
// Every call needs a current GL context on the calling thread (a window's GL
// worker, or a hidden window's context in a tool), the same context the
// canvas's resources (fonts, images, classic textures) were made with or one
// sharing their objects, and the GL entry points loaded (ko::gl::initLib).
//
// Pixels are 8-bit RGBA, rows top first, width x 4 bytes a row. The frame
// buffer has no alpha channel, like a window's, so every alpha byte is 255
// and translucent drawing shows blended over the clear colour as on screen.
// ko::png::writePng (koui/family/png_encoder.h) saves them as a PNG file.
#pragma once

#include <cstdint>
#include <vector>

#include "koui/export.h"

namespace koui {

class Canvas;

// The width x height pixels at the bottom left of the frame buffer bound for
// reading, rows top first. Empty for a size below 1 x 1.
KOUI_API std::vector<uint8_t> readPixels(int width, int height);

// One cycle of `canvas` over the viewport (0, 0, width, height): Iterate,
// then Draw, into a new frame buffer cleared to `clear` (four floats; null
// for opaque black), with blending by source alpha and no depth test as a
// window's cycle sets them. The GL state this changes (frame buffer,
// viewport, scissor, matrices, blending, depth test) and the canvas's
// viewport are restored. Empty, with an appmsg line, when the frame buffer
// cannot be made.
KOUI_API std::vector<uint8_t> renderToPixels(Canvas& canvas, int width, int height,
                                             const float* clear = nullptr);

}  // namespace koui
