// Image sources, sections and the image programs on real GL, texels read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <glm/gtc/type_ptr.hpp>

#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "koui/res/instance.h"
#include "tests/res/res_folder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

namespace {

using koui::res::Img;
using koui::res::Instance;
using koui::test::GlTest;
using koui::test::ResFolder;
using koui::test::Rgba;

constexpr int kNearest = 16;

// A w × h image whose pixel (x, y) has the colour colour(x, y).
template <class Colour>
std::vector<uint8_t> imageOf(int w, int h, Colour colour) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgba c = colour(x, y);
            rgba.insert(rgba.end(), {c.r, c.g, c.b, c.a});
        }
    return koui::test::rgbaPng(w, h, rgba);
}
// Cells.png has 64 × 32 pixels in 8 × 8 cells; cell (cx, cy) has this colour.
Rgba cell(int cx, int cy) {
    return {static_cast<uint8_t>(cx * 30), static_cast<uint8_t>(cy * 60), 100, 255};
}

class ImageGl : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        dir.write("Images/cells.png", imageOf(64, 32, [](int x, int y) { return cell(x / 8, y / 8); }));
        // Each pixel's colour names the pixel: (x * 8, y * 8, 50).
        dir.write("Images/coords.png", imageOf(30, 30, [](int x, int y) {
                      return Rgba{static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8), 50, 255};
                  }));
        dir.write("Images/red.png", koui::test::solidPng(4, 4, 255, 0, 0));
        dir.write("res.kor",
                  "cells {\n"
                  "  imgsrc\n  src: \"Images/cells.png\"\n  grid: 8\n  mipmaps: 3\n"
                  "  btn { img pos: 1,1 size: 8,8 hdist: 16 ver: 0,2,1 default: 3 }\n"
                  "  col { img pos: 2,0 size: 8 vdist: 8 ver: 0,1,2 }\n"
                  "  pair { img pos: 3,2 size: 16,8 }\n"
                  "}\n"
                  "coords { imgsrc src: \"Images/coords.png\" }\n"
                  "frame { img src: coords frame size: 8 sep: 10 }\n"
                  "red { imgsrc src: \"Images/red.png\" }\n"
                  "button-image: cells.btn\n");
        inst = std::make_unique<Instance>(dir.root(), "");
        ASSERT_TRUE(inst->Load("res.kor", false)) << errors();
        mvp = projection();
    }
    void TearDown() override {
        inst.reset();  // textures go on this thread, with the context current
        GlTest::TearDown();
    }
    std::string errors() const {
        std::string out;
        for (const auto& e : inst->getRoot()->errors) out += e.text + "\n";
        return out;
    }
    bool draw(const std::string& path, float x, float y, float w, float h, int flags = kNearest,
              int version = 0, int alignX = 1, int alignY = 1) {
        return inst->image(path).draw(glm::value_ptr(mvp), x, y, w, h, nullptr, flags, version, alignX,
                                      alignY, 1.0f, 0, 0, true);
    }

    ResFolder dir{"image_gl"};
    std::unique_ptr<Instance> inst;
    glm::mat4 mvp{1.0f};
};

TEST_F(ImageGl, SourceLoadsAsImmutableTextureWithMipmaps) {
    auto* src = dynamic_cast<koui::res::ImgSrc*>(inst->findNode("cells"));
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->getType(), Img::kImage);
    EXPECT_THAT(src->pixSize, ::testing::ElementsAre(64, 32, 32));
    ASSERT_NE(src->texture, 0u);
    glBindTexture(GL_TEXTURE_2D, src->texture);
    GLint got[4] = {};  // immutable, levels, minifying filter, width of level 2
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_IMMUTABLE_FORMAT, &got[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_IMMUTABLE_LEVELS, &got[1]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &got[2]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &got[3]);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_THAT(got, ::testing::ElementsAre(GL_TRUE, 3, GL_LINEAR_MIPMAP_LINEAR, 16));
    // The red source has 4 × 4 pixels: one level by default.
    EXPECT_EQ(dynamic_cast<koui::res::ImgSrc*>(inst->findNode("red"))->mipmaps, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageGl, SectionVersionsAndDistributions) {
    // btn: pixel position (8, 8), versions 16 pixels apart horizontally,
    // version 0 -> slot 0, 1 -> slot 2, 2 -> slot 1, anything else -> slot 3.
    const int versionSlots[][2] = {{0, 0}, {1, 2}, {2, 1}, {7, 3}};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(draw("cells.btn", i * 10, 0, 0, 0, kNearest, versionSlots[i][0]));
        EXPECT_TRUE(regionIs(i * 10, 0, 8, 8, cell(1 + 2 * versionSlots[i][1], 1))) << i;
    }
    EXPECT_TRUE(regionIs(8, 0, 2, 8, Rgba{0, 0, 0, 255}));  // nothing between

    // col: (16, 0), versions 8 pixels apart vertically.
    ASSERT_TRUE(draw("cells.col", 0, 20, 0, 0, kNearest, 2));
    EXPECT_TRUE(regionIs(0, 20, 8, 8, cell(2, 2)));
    // Through the instance by a parameter naming the section, filtered
    // sampling at 1:1 gives the same texels.
    ASSERT_TRUE(inst->drawImg("button-image", glm::value_ptr(mvp), 20, 20, 0, 0, nullptr, 0, 1, 1, 1, 1.0f));
    EXPECT_TRUE(regionIs(20, 20, 8, 8, cell(5, 1)));
    // Magnified four times, nearest texels fill the whole rectangle.
    ASSERT_TRUE(draw("cells.btn", 40, 20, 32, 32, kNearest, 0));
    EXPECT_TRUE(regionIs(40, 20, 32, 32, cell(1, 1)));
}

TEST_F(ImageGl, FitCoverAlignAndFlip) {
    // pair: 16 × 8 pixels, cells (3, 2) and (4, 2). Into 32 × 32 it fits at
    // scale 2 (32 × 16), centred vertically: rows 8 .. 23.
    ASSERT_TRUE(draw("cells.pair", 0, 0, 32, 32));
    EXPECT_TRUE(regionIs(0, 8, 16, 16, cell(3, 2)));
    EXPECT_TRUE(regionIs(16, 8, 16, 16, cell(4, 2)));
    EXPECT_TRUE(regionIs(0, 0, 32, 8, Rgba{0, 0, 0, 255}));  // bg_color is transparent
    EXPECT_TRUE(regionIs(0, 24, 32, 8, Rgba{0, 0, 0, 255}));
    // Aligned to the top, and to the bottom.
    ASSERT_TRUE(draw("cells.pair", 40, 0, 32, 32, kNearest, 0, 1, 0));
    EXPECT_TRUE(regionIs(40, 0, 16, 16, cell(3, 2)));
    EXPECT_TRUE(regionIs(40, 16, 32, 16, Rgba{0, 0, 0, 255}));
    ASSERT_TRUE(draw("cells.pair", 80, 0, 32, 32, kNearest, 0, 1, 2));
    EXPECT_TRUE(regionIs(80, 16, 16, 16, cell(3, 2)));
    // Cover (bit 0): scale 4, 64 × 32, centred horizontally: the middle
    // 32 columns are the right half of cell 3 and the left half of cell 4.
    ASSERT_TRUE(draw("cells.pair", 120, 0, 32, 32, kNearest | 1));
    EXPECT_TRUE(regionIs(120, 0, 16, 32, cell(3, 2)));
    EXPECT_TRUE(regionIs(136, 0, 16, 32, cell(4, 2)));
    // Flipped horizontally (bit 2): the cells swap.
    ASSERT_TRUE(draw("cells.pair", 0, 40, 32, 16, kNearest | 4));
    EXPECT_TRUE(regionIs(0, 40, 16, 16, cell(4, 2)));
    EXPECT_TRUE(regionIs(16, 40, 16, 16, cell(3, 2)));
    // Scale (bit 2 of the fit rule, flags 2) by 0.5 at the left top.
    ASSERT_TRUE(
        inst->image("cells.pair")
            .draw(glm::value_ptr(mvp), 0, 60, 32, 32, nullptr, kNearest | 2, 0, 0, 0, 0.5f, 0, 0, true));
    EXPECT_TRUE(regionIs(0, 60, 4, 4, cell(3, 2)));
    EXPECT_TRUE(regionIs(4, 60, 4, 4, cell(4, 2)));
    EXPECT_TRUE(regionIs(8, 60, 24, 4, Rgba{0, 0, 0, 255}));
    // A colour tints the texels.
    const float half[4] = {1.0f, 0.5f, 1.0f, 1.0f};
    ASSERT_TRUE(
        inst->image("red").draw(glm::value_ptr(mvp), 200, 200, 4, 4, half, kNearest, 0, 1, 1, 1, 0, 0, true));
    EXPECT_TRUE(regionIs(200, 200, 4, 4, Rgba{255, 0, 0, 255}));
    // An empty image draws nothing.
    EXPECT_FALSE(Img().draw(glm::value_ptr(mvp), 0, 0, 10, 10, nullptr, 0, 0, 1, 1, 1, 0, 0, true));
}

TEST_F(ImageGl, FrameProgramThreeBands) {
    // Band size S = 8, separation D = 10: per axis, target pixels 0..7 copy
    // source 0..7, the last 8 copy 20..27, the middle repeats 10..17.
    constexpr int kW = 100, kH = 40;
    ASSERT_TRUE(draw("frame", 10, 10, kW, kH, 0));
    const koui::test::Frame frame = readFrame(10, 10, kW, kH);
    auto band = [](int t, int n) { return t < 8 ? t : t >= n - 8 ? 20 + t - n + 8 : 10 + t % 8; };
    int wrong = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Rgba expected{static_cast<uint8_t>(band(x, kW) * 8), static_cast<uint8_t>(band(y, kH) * 8),
                                50, 255};
            if (frame.at(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << ") = " << frame.at(x, y) << ", expected "
                              << expected;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ImageGl, ChangedImageFileReloadsItsTexture) {
    ASSERT_TRUE(draw("red", 0, 0, 0, 0));
    EXPECT_TRUE(regionIs(0, 0, 4, 4, Rgba{255, 0, 0, 255}));
    auto* red = dynamic_cast<koui::res::ImgSrc*>(inst->findNode("red"));
    const unsigned texture = red->texture;

    // Same size: the texture is refilled in place.
    dir.write("Images/red.png", koui::test::solidPng(4, 4, 0, 0, 255));
    ASSERT_TRUE(inst->checkForChangesInFolderFiles());
    inst->CallForChangesInFolderFiles();
    EXPECT_FALSE(inst->checkForChangesInFolderFiles());
    EXPECT_EQ(red->texture, texture);
    clear(0, 0, 0);
    ASSERT_TRUE(draw("red", 0, 0, 0, 0));
    EXPECT_TRUE(regionIs(0, 0, 4, 4, Rgba{0, 0, 255, 255}));

    // Another size: new storage, and the image draws at its new size.
    dir.write("Images/red.png", koui::test::solidPng(6, 3, 0, 255, 0));
    inst->CallForChangesInFolderFiles();
    EXPECT_THAT(red->pixSize, ::testing::ElementsAre(6, 3, 32));
    clear(0, 0, 0);
    ASSERT_TRUE(draw("red", 0, 0, 0, 0));
    EXPECT_TRUE(regionIs(0, 0, 6, 3, Rgba{0, 255, 0, 255}));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, Rgba{0, 0, 0, 255}), 18);

    // A file that stops being a PNG keeps the last texture, and says so once.
    dir.write("Images/red.png", "broken");
    koui::test::AppMsgCapture capture;
    inst->CallForChangesInFolderFiles();
    inst->CallForChangesInFolderFiles();
    EXPECT_THAT(capture.lines(),
                ::testing::ElementsAre("[ERROR] decodePng: not a PNG file (bad signature)",
                                       "[ERROR] Reload of Images/red.png failed; the loaded picture stays",
                                       "[ERROR]  0 : Line   12 = \"class koui::res::ImgSrc / (red) : Cannot "
                                       "decode source (Images/red.png) of extension (png)\""));
    clear(0, 0, 0);
    ASSERT_TRUE(draw("red", 0, 0, 0, 0));
    EXPECT_TRUE(regionIs(0, 0, 6, 3, Rgba{0, 255, 0, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageGl, ReloadAndDestructionReleaseTextures) {
    const unsigned oldTexture = inst->image("cells").getTexID();
    ASSERT_TRUE(glIsTexture(oldTexture));
    dir.stamp("res.kor");
    inst->CallResSourceChange();
    const unsigned newTexture = inst->image("cells").getTexID();
    EXPECT_NE(newTexture, 0u);
    EXPECT_NE(newTexture, oldTexture);
    EXPECT_FALSE(glIsTexture(oldTexture));  // the old tree took its textures along
    dir.write("res.kor", "broken {\n");     // a reload that fails keeps them alive
    inst->CallResSourceChange();
    EXPECT_TRUE(glIsTexture(newTexture));
    inst.reset();
    EXPECT_FALSE(glIsTexture(newTexture));
}

}  // namespace
