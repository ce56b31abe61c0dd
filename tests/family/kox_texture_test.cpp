#include "koui/family/kox_texture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <vector>

#include "koui/family/module_resources.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

using namespace ko::gl;

namespace {

using koui::test::AppMsgCapture;
using koui::test::GlTest;
using koui::test::Rgba;

// A 4 x 4 texture whose texel (i, j) is (60 i, 60 j, 200, 255).
class KoxTexture : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::vector<uint8_t> pixels;
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i)
                pixels.insert(pixels.end(), {uint8_t(60 * i), uint8_t(60 * j), 200, 255});
        ASSERT_EQ(texture.CreateFromPixels(pixels.data(), 4, 4, GL_RGBA, GL_TEXTURE_2D), KOX_OK);
    }
    static Rgba texel(int i, int j) { return {uint8_t(60 * i), uint8_t(60 * j), 200}; }

    CkoxGL_Texture texture;
};

TEST_F(KoxTexture, WholeTextureAtTheCurrentOrigin) {
    EXPECT_TRUE(texture.IsValid());
    EXPECT_EQ(texture.GetWidth(), 4);
    EXPECT_EQ(texture.GetHeight(), 4);
    EXPECT_EQ(texture.GetFormat(), 0x1908);
    EXPECT_EQ(texture.GetTarget(), GL_TEXTURE_2D);
    glTranslated(100, 50, 0);
    texture.Draw(1, 1, 1, 1);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(pixel(100 + i, 50 + j), texel(i, j)) << i << "," << j;
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 16);
    clear(0, 0, 0);
    texture.Draw(1, 0, 0.5, 1);  // the colour tints the texels
    EXPECT_TRUE(regionIs(103, 53, 1, 1, {180, 0, 100}, 1));
}

TEST_F(KoxTexture, PortionAtItsOwnSize) {
    texture.DrawPortion2D_Simple(2, 1, 4, 3, 30, 40, 1, 1, 1, 1);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) EXPECT_EQ(pixel(30 + i, 40 + j), texel(2 + i, 1 + j));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 4);
}

TEST_F(KoxTexture, PortionStretchedIntoADestination) {
    // Texels (1, 1) .. (2, 2) into a 20 x 20 square: each texel covers 10 x 10.
    texture.DrawPortion2D(1, 1, 3, 3, 10, 10, 30, 30, 1, 1, 1, 1);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 400);
    // Cell centres show their texel; filtering mixes only near the seams.
    EXPECT_TRUE(regionIs(14, 14, 2, 2, texel(1, 1), 16));
    EXPECT_TRUE(regionIs(24, 14, 2, 2, texel(2, 1), 16));
    EXPECT_TRUE(regionIs(14, 24, 2, 2, texel(1, 2), 16));
    EXPECT_TRUE(regionIs(24, 24, 2, 2, texel(2, 2), 16));
}

TEST_F(KoxTexture, BatchedQuadsBetweenBindAndUnBind) {
    glColor4d(1, 1, 1, 1);
    texture.Bind(0);
    texture.bqPortion(0, 0, 1, 1, 0, 0, 1, 1);
    texture.bqPortion(3, 3, 4, 4, 10, 0, 11, 1);
    texture.UnBind();
    EXPECT_EQ(pixel(0, 0), texel(0, 0));
    EXPECT_EQ(pixel(10, 0), texel(3, 3));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 2);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "UnBind turns texturing off again";
}

TEST_F(KoxTexture, RgbPixels) {
    const uint8_t rgb[2 * 3] = {255, 0, 0, 0, 0, 255};
    CkoxGL_Texture t;
    ASSERT_EQ(t.CreateFromPixels(rgb, 2, 1, GL_RGB), KOX_OK);
    EXPECT_EQ(t.GetFormat(), 0x1907);
    t.Draw(1, 1, 1, 1);
    EXPECT_EQ(pixel(0, 0), (Rgba{255, 0, 0}));
    EXPECT_EQ(pixel(1, 0), (Rgba{0, 0, 255}));
}

TEST_F(KoxTexture, FailuresAreReportedAndLeaveNoTexture) {
    AppMsgCapture capture;
    CkoxGL_Texture t;
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/no/such/image.png", "png", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/README.md", "jpg", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromFile(KOUI_SOURCE_DIR "/README.md", "png", 0x806F), KOX_ERROR);  // 3D target
    EXPECT_EQ(t.CreateFromResource(424242, "PNG", nullptr, "png", GL_TEXTURE_2D), KOX_ERROR);
    EXPECT_EQ(t.CreateFromPixels(nullptr, 0, 4), KOX_ERROR);
    EXPECT_FALSE(t.IsValid());
    EXPECT_EQ(t.GetFormat(), 0);
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/image.png");
    EXPECT_EQ(lines[1], "[ERROR] kox: image format \"jpg\" of " KOUI_SOURCE_DIR
                        "/README.md is not supported (only png)");
    EXPECT_EQ(lines[2], "[ERROR] CkoxGL_Texture: texture target 0x806f of " KOUI_SOURCE_DIR
                        "/README.md is not supported (only GL_TEXTURE_2D)");
    EXPECT_EQ(lines[3], "[ERROR] CkoxGL_Texture: no resource 424242 of type PNG");
    EXPECT_EQ(lines[4], "[ERROR] CkoxGL_Texture: invalid size 0x4 or format 0x1908");
    // Drawing an empty texture draws nothing.
    t.Draw(1, 1, 1, 1);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 0);
}

}  // namespace
