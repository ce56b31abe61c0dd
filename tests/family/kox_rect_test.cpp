#include "koui/family/kox_rect.h"

#include <gtest/gtest.h>

#include "tests/support/gl_fixture.h"

using namespace ko::gl;

namespace {

using koui::test::GlTest;
using koui::test::Rgba;
using KoxRect = GlTest;

const Rgba kBlack{0, 0, 0};

TEST_F(KoxRect, FilledRectangleCoversExactlyItsPixelsAndBlends) {
    const float red[4] = {1, 0, 0, 1};
    koxGL_FillRect(10, 20, 30, 15, red);
    EXPECT_TRUE(regionIs(10, 20, 30, 15, {255, 0, 0}));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 30 * 15);
    clear(0, 0, 0);
    koxGL_FillRect(0, 0, 8, 8, 1.0, 1.0, 1.0, 0.6);  // the double form blends its alpha
    EXPECT_TRUE(regionIs(0, 0, 8, 8, {153, 153, 153}, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 64);
}

TEST_F(KoxRect, OnePixelLinesUnderATransform) {
    // Grid lines of the plot views: one-pixel rectangles, moved by the
    // model-view matrix.
    glTranslated(50, 60, 0);
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1};
    koxGL_FillRect(5, 0, 1, 40, grey);
    koxGL_FillRect(0, 10, 40, 1, grey);
    EXPECT_TRUE(regionIs(55, 60, 1, 40, {128, 128, 128}, 1));
    EXPECT_TRUE(regionIs(50, 70, 40, 1, {128, 128, 128}, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 40 + 40 - 1);
}

TEST_F(KoxRect, EmptyRectanglesDrawNothing) {
    const float white[4] = {1, 1, 1, 1};
    koxGL_FillRect(10, 10, 0, 5, white);
    koxGL_FillRect(10, 10, 5, -1, white);
    koxGL_FillRect(10, 10, 5, 5, nullptr);
    koxGL_DrawRect(10, 10, 0, 0);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
}

TEST_F(KoxRect, OutlineIsTheBorderPixelsInTheCurrentColour) {
    glColor4f(0, 1, 0, 1);
    koxGL_DrawRect(50, 60, 20, 10);
    EXPECT_TRUE(regionIs(50, 60, 20, 1, {0, 255, 0}));  // top
    EXPECT_TRUE(regionIs(50, 69, 20, 1, {0, 255, 0}));  // bottom
    EXPECT_TRUE(regionIs(50, 60, 1, 10, {0, 255, 0}));  // left
    EXPECT_TRUE(regionIs(69, 60, 1, 10, {0, 255, 0}));  // right
    EXPECT_TRUE(regionIs(51, 61, 18, 8, kBlack));       // inside untouched
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 2 * 20 + 2 * 8);

    // Thin outlines stay inside their rectangle.
    clear(0, 0, 0);
    glColor4f(1, 0, 0, 1);
    koxGL_DrawRect(5, 5, 1, 1);
    koxGL_DrawRect(20, 5, 4, 2);
    EXPECT_TRUE(regionIs(5, 5, 1, 1, {255, 0, 0}));
    EXPECT_TRUE(regionIs(20, 5, 4, 2, {255, 0, 0}));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 1 + 8);
}

TEST_F(KoxRect, TranslucentOutlineDrawsEachPixelOnce) {
    glColor4f(1, 1, 1, 0.5f);
    koxGL_DrawRect(10, 10, 6, 4);
    // Corners blended twice would be brighter than the edges.
    EXPECT_TRUE(regionIs(10, 10, 6, 1, {128, 128, 128}, 1));
    EXPECT_TRUE(regionIs(10, 13, 6, 1, {128, 128, 128}, 1));
    EXPECT_TRUE(regionIs(10, 11, 1, 2, {128, 128, 128}, 1));
    EXPECT_TRUE(regionIs(15, 11, 1, 2, {128, 128, 128}, 1));
}

}  // namespace
