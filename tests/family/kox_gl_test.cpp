// The classic resource manager's GL pieces on real GL: rectangles, textures
// (from pixels and from PNG files), frame buffers; and its bitmaps.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

#include "koui/family/kox_dib.h"
#include "koui/family/kox_fbo.h"
#include "koui/family/kox_image_file.h"
#include "koui/family/kox_rect.h"
#include "koui/family/kox_texture.h"
#include "koui/family/png_decoder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

using namespace ko::gl;

namespace {

using koui::test::AppMsgCapture;
using koui::test::Frame;
using koui::test::GlTest;
using koui::test::Rgba;
using KoxRect = GlTest;
using KoxFbo = GlTest;
using KoxTexture = GlTest;

const Rgba kRed{255, 0, 0};
const Rgba kBlue{0, 0, 255};
const Rgba kBlack{0, 0, 0};

#define PNGSUITE(name) KOUI_TESTDATA_DIR "/pngsuite/png/" name

// The opaque fill and outline of an element's box are checked with the
// elements' drawing, portions of textures with the classic images that draw
// them; here the other forms and the edge cases.
TEST_F(KoxRect, FilledRectangleBlendsAndFollowsTheTransform) {
    const float red[4] = {1, 0, 0, 1};
    koxGL_FillRect(0, 0, 8, 8, 1.0, 1.0, 1.0, 0.6);  // the double form blends its alpha
    EXPECT_TRUE(regionIs(0, 0, 8, 8, {153, 153, 153}, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 64);
    // Empty rectangles draw nothing; one-pixel lines (the grid of the plot
    // views) follow the model-view matrix.
    clear(0, 0, 0);
    koxGL_FillRect(10, 10, 0, 5, red);
    koxGL_FillRect(10, 10, 5, -1, red);
    koxGL_FillRect(10, 10, 5, 5, nullptr);
    koxGL_DrawRect(10, 10, 0, 0);
    glTranslated(50, 60, 0);
    koxGL_FillRect(5, 0, 1, 40, red);
    koxGL_FillRect(0, 10, 40, 1, red);
    EXPECT_TRUE(regionIs(55, 60, 1, 40, kRed) && regionIs(50, 70, 40, 1, kRed));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 40 + 40 - 1);
}

TEST_F(KoxRect, ThinAndTranslucentOutlinesDrawEachBorderPixelOnce) {
    // Thin outlines stay inside their rectangle.
    glColor4f(1, 0, 0, 1);
    koxGL_DrawRect(5, 5, 1, 1);
    koxGL_DrawRect(20, 5, 4, 2);
    EXPECT_TRUE(regionIs(5, 5, 1, 1, kRed) && regionIs(20, 5, 4, 2, kRed));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 1 + 8);
    // Translucent: corners blended twice would be brighter than the edges.
    clear(0, 0, 0);
    glColor4f(1, 1, 1, 0.5f);
    koxGL_DrawRect(10, 10, 6, 4);
    for (auto [x, y, w, h] : {std::array{10, 10, 6, 1}, {10, 13, 6, 1}, {10, 11, 1, 2}, {15, 11, 1, 2}})
        EXPECT_TRUE(regionIs(x, y, w, h, {128, 128, 128}, 1));
}

// Whole RGBA textures at the current origin are checked with the classic
// images made from files; here RGB pixels, tinted by the colour.
TEST_F(KoxTexture, RgbPixelsTintedByTheColour) {
    const uint8_t rgb[2 * 3] = {255, 0, 0, 0, 0, 255};
    CkoxGL_Texture t;
    ASSERT_EQ(t.CreateFromPixels(rgb, 2, 1, GL_RGB), KOX_OK);
    EXPECT_EQ(t.GetFormat(), GL_RGB);
    glTranslated(100, 50, 0);
    t.Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(100, 50, 1, 1, kRed) && regionIs(101, 50, 1, 1, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 2);
    clear(0, 0, 0);
    t.Draw(0.5, 1, 0.5, 1);
    EXPECT_TRUE(regionIs(100, 50, 1, 1, {128, 0, 0}, 1) && regionIs(101, 50, 1, 1, {0, 0, 128}, 1));
}

// A white ring around a black 2 x 2 centre, drawn into one pixel: the
// mipmaps give the average of all 16 (12 white), plain linear filtering
// would read only the black centre.
TEST_F(KoxTexture, ScaledDownPicturesAverageThroughMipmaps) {
    uint8_t rgb[4 * 4 * 3];
    for (int i = 0; i < 16; ++i) std::fill_n(rgb + 3 * i, 3, (i % 4 % 3 == 0 || i / 4 % 3 == 0) ? 255 : 0);
    CkoxGL_Texture t;
    ASSERT_EQ(t.CreateFromPixels(rgb, 4, 4, GL_RGB), KOX_OK);
    t.DrawPortion2D(0, 0, 4, 4, 100, 50, 101, 51, 1, 1, 1, 1);
    EXPECT_TRUE(regionIs(100, 50, 1, 1, {191, 191, 191}, 2)) << readFrame(100, 50, 1, 1).at(0, 0);
}

TEST_F(KoxTexture, FailuresAreReportedAndLeaveNoTexture) {
    AppMsgCapture capture;
    CkoxGL_Texture t;
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/no/such/image.png", "png", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/README.md", "jpg", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/README.md", "png", 0x806F), KOX_ERROR);  // 3D target
    EXPECT_EQ(t.CreateFromResource(424242, "PNG", nullptr, "png", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromPixels(nullptr, 0, 4), KOX_ERROR);
    EXPECT_EQ(t.CreateFromFile(PNGSUITE("xcrn0g04.png"), "png", GL_TEXTURE_2D), KOX_ERROR);  // bad line ends
    EXPECT_FALSE(t.IsValid());
    EXPECT_EQ(t.GetFormat(), 0);
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/image.png",
                                        "[ERROR] kox: image format \"jpg\" of " KOUI_SOURCE_DIR
                                        "/README.md is not supported (only png)",
                                        "[ERROR] CkoxGL_Texture: texture target 0x806f of " KOUI_SOURCE_DIR
                                        "/README.md is not supported (only GL_TEXTURE_2D)",
                                        "[ERROR] CkoxGL_Texture: no resource 424242 of type PNG",
                                        "[ERROR] CkoxGL_Texture: invalid size 0x4 or format 0x1908",
                                        "[ERROR] decodePng: not a PNG file (bad signature)",
                                        "[ERROR] kox: cannot decode " PNGSUITE("xcrn0g04.png") " as png"}));
    t.Draw(1, 1, 1, 1);  // an empty texture draws nothing
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
}

// A texture from a file shows the decoded pixels in the classic images made
// from files; the format's name ignores case, and no name or target means
// PNG into a 2D texture.
TEST_F(KoxTexture, FileFormatNameIgnoresCaseAndDefaults) {
    CkoxGL_Texture t;
    ASSERT_EQ(t.CreateFromFile(PNGSUITE("basn6a08.png"), "PNG", GL_TEXTURE_2D), KOX_OK);
    ASSERT_EQ(t.CreateFromFile(PNGSUITE("basn3p04.png"), nullptr, 0), KOX_OK);
    EXPECT_EQ(std::tuple(t.GetWidth(), t.GetHeight(), t.GetFormat()), std::tuple(32, 32, GL_RGBA));
}

// The 32-bit bitmap of a file is checked byte for byte through the classic
// masks that are made from it.
TEST(KoxDib, ZeroedRowsPaddedToFourBytesAndPngFilesAtEitherDepth) {
    CstgDibSection8 mask;
    ASSERT_EQ(mask.Create(5, 3), KOX_OK);
    EXPECT_EQ(mask.GetPitch(), 8);
    EXPECT_TRUE(std::all_of(mask.GetBits(), mask.GetBits() + 8 * 3, [](uint8_t b) { return b == 0; }));
    CstgDibSectionEx dib;
    ASSERT_EQ(dib.Create(3, 2, 24), KOX_OK);
    EXPECT_EQ(dib.GetPitch(), 12);  // 9 bytes rounded up
    // The 24-bit form drops each pixel's fourth byte, the alpha.
    std::vector<uint8_t> bytes, rgba;
    unsigned width = 0, height = 0, depth = 0;
    ASSERT_TRUE(koxReadFile(PNGSUITE("basn6a08.png"), bytes));
    ko::png::decodePng(rgba, width, height, depth, bytes.data(), bytes.size());
    for (int bpp : {32, 24}) {
        ASSERT_EQ(dib.CreateFromFile(PNGSUITE("basn6a08.png"), bpp), KOX_OK);
        EXPECT_EQ(std::tuple(dib.GetWidth(), dib.GetPitch(), dib.GetBpp()), std::tuple(32, 4 * bpp, bpp));
        EXPECT_EQ(dib.GetRow(5)[bpp / 8 * 7 + 1], rgba.at((5 * 32 + 7) * 4 + 1)) << bpp;
    }
}

TEST(KoxDib, InvalidSizesDepthsAndFilesAreRefused) {
    AppMsgCapture capture;
    CstgDibSection8 mask;
    EXPECT_EQ(mask.Create(0, 4), KOX_ERROR);
    EXPECT_EQ(mask.Create(4, 70000), KOX_ERROR);
    CstgDibSectionEx dib;
    EXPECT_EQ(dib.Create(4, 4, 16), KOX_ERROR);
    EXPECT_EQ(dib.CreateFromFile(KOUI_SOURCE_DIR "/no/such/file.png"), KOX_ERROR);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "[ERROR] CstgDibSection8: invalid size 0x4",
                                   "[ERROR] CstgDibSection8: invalid size 4x70000",
                                   "[ERROR] CstgDibSectionEx: 16 bits per pixel not supported (24 or 32)",
                                   "[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/file.png",
                               }));
}

TEST_F(KoxFbo, DrawnContentComesBackTheRightWayUp) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(10, 10, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_EQ(fbo.Create(64, 32, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);  // recreated at another size
    CkoxGL_Texture& texture = fbo.GetTexture();
    EXPECT_EQ(std::tuple(texture.GetWidth(), texture.GetHeight(), texture.GetFormat()),
              std::tuple(64, 32, GL_RGB));
    glTranslated(100, 50, 0);  // set aside while drawing into the frame buffer
    ASSERT_TRUE(fbo.Begin2D(0, 0, 1, 1));
    koxGL_FillRect(0, 0, 10, 5, 1.0, 0.0, 0.0, 1.0);  // top left in the frame buffer
    fbo.End(nullptr);

    std::array<GLint, 4> viewport;
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, kWidth, kHeight}));
    // The window's projection and model-view are back: this lands at (100, 50).
    texture.Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(100, 50, 10, 5, kRed) && regionIs(110, 50, 54, 32, kBlue) &&
                regionIs(100, 55, 10, 27, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 64 * 32);
}

TEST_F(KoxFbo, BeginClearsTheWholeBufferEvenUnderAScissor) {
    CkoxGL_FBO fbo;
    ASSERT_EQ(fbo.Create(16, 16, 1, 1, GL_RGBA, 0, 0), KOX_OK);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 2, 2);
    ASSERT_TRUE(fbo.Begin2D(1, 0, 0, 1));
    fbo.End(nullptr);
    std::array<GLint, 4> box;
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST) && box[2] == 2) << "End restores the scissor";
    glDisable(GL_SCISSOR_TEST);
    fbo.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(0, 0, 16, 16, kRed));
}

TEST_F(KoxFbo, FrameBuffersNest) {
    CkoxGL_FBO outer;
    CkoxGL_FBO inner;
    ASSERT_EQ(outer.Create(32, 32, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_EQ(inner.Create(8, 8, 0, 0, GL_RGB, GL_TEXTURE_2D, 0), KOX_OK);
    ASSERT_TRUE(outer.Begin2D(0, 0, 1, 1));
    ASSERT_TRUE(inner.Begin2D(1, 0, 0, 1));
    inner.End(nullptr);  // back into the outer frame buffer, with its projection
    glTranslated(4, 4, 0);
    inner.GetTexture().Draw(1, 1, 1, 1);
    outer.End(nullptr);
    outer.GetTexture().Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(4, 4, 8, 8, kRed) && regionIs(12, 4, 20, 8, kBlue) && regionIs(0, 0, 32, 4, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 32 * 32);
}

// A size without pixels is refused as the offscreen rendering is.
TEST_F(KoxFbo, InvalidRequestsAreRefused) {
    AppMsgCapture capture;
    CkoxGL_FBO fbo;
    EXPECT_EQ(fbo.Create(10, 10, 0, 0, GL_RED, GL_TEXTURE_2D, 0), KOX_ERROR);
    EXPECT_FALSE(fbo.Begin2D(0, 0, 0, 1));
    fbo.End(nullptr);  // harmless
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"[ERROR] CkoxGL_FBO: colour format 0x1903 is not supported"});
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
