// Off-screen rendering of a canvas. (Saving as PNG is the encoder's round trip.)
#include <gtest/gtest.h>

#include "koui/host/offscreen.h"
#include "tests/support/appmsg_capture.h"
#include "tests/ui/draw_fixture.h"

namespace koui {
namespace {

using test::Rgba;

// A pixel of a 40 pixels wide image.
Rgba at(const std::vector<uint8_t>& px, int x, int y) {
    const uint8_t* p = &px[(static_cast<size_t>(y) * 40 + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

struct OffscreenGl : test::DrawTest {};

TEST_F(OffscreenGl, RendersTheCanvasTopRowFirstAndRestoresTheWindow) {
    make(nullptr, 2, 3, 10, 8, "framed");
    Div* faint = make(nullptr, 20, 20, 4, 4, "plain-red");
    faint->bkColor[3] = 0.5f;
    clear(0, 0, 1);
    glBlendFunc(GL_ONE, GL_ZERO);
    const float grey[4] = {0.2f, 0.2f, 0.2f, 1};
    std::vector<uint8_t> px = renderToPixels(*canvas, 40, 30, grey);
    ASSERT_EQ(px.size(), 40u * 30 * 4);
    // The frame's corners, its red inside, the grey around it and at the
    // bottom row; half red over the grey, blended by source alpha, opaque.
    const Rgba black{0, 0, 0, 255}, background{51, 51, 51, 255};
    EXPECT_EQ(
        (std::vector{at(px, 2, 3), at(px, 4, 5), at(px, 11, 10), at(px, 12, 10), at(px, 0, 29),
                     at(px, 21, 21)}),
        (std::vector{black, Rgba{255, 0, 0, 255}, black, background, background, Rgba{153, 25, 25, 255}}));

    // The window still shows its own clear colour; blending and the canvas
    // viewport are as before.
    EXPECT_TRUE(regionIs(0, 0, kWidth, kHeight, Rgba{0, 0, 255}));
    GLint src = 0, view[4];
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(std::tuple(src, view[2], canvas->viewport[2]), std::tuple(GL_ONE, kWidth, 0));
}

TEST_F(OffscreenGl, NoFrameBufferNoPixels) {
    test::AppMsgCapture capture;
    EXPECT_TRUE(renderToPixels(*canvas, 0, 10).empty());
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[ERROR] CkoxGL_FBO: invalid size 0x10"}));
    EXPECT_TRUE(readPixels(-1, 4).empty());
}

}  // namespace
}  // namespace koui
