// The canvas's tooltip on real GL: it appears after the pointer rests for the
// hover delay, 20 pixels right of and 15 below the pointer (less the
// padding), at least the minimum length wide, kept inside the viewport,
// fading in by the eased opacity, with its text in the tooltip font.
#include <gtest/gtest.h>

#include <cmath>

#include "koui/family/glyph_vector.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;

double gNow = 0;
double fakeClock() {
    return gNow;
}

struct TooltipGl : test::DrawTest {
    Div* target = nullptr;
    void SetUp() override {
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        canvas->setClock(&fakeClock);
        target = make(nullptr, 0, 0, kWidth, kHeight, "");
        frame();  // geometry for hit testing
    }
    // Rests the pointer at (x, y) for just over the hover delay.
    void rest(double x, double y) {
        gNow = std::floor(gNow) + 1.0;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
        gNow += 0.5;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
        ASSERT_EQ(canvas->toolTipTarget, 0.0) << "shown after exactly the delay";
        gNow += 0.001;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
    }
    // Height of the box for `text`: its laid-out height plus the padding.
    float boxHeight(const std::string& text) {
        ko::gl::FontGlyphVector v;
        v.Process(canvas->font("fonts.tip"), 1e10f, 1e10f, 0, 0, 1, 1, 0, text);
        float b[4];
        v.calculateBoundindBox(b);
        return b[3] - b[1] + 10;
    }
    void fadeIn() {
        for (int i = 0; i < 40 && canvas->toolTipOpacity < 1.0; ++i) frame();
        ASSERT_EQ(canvas->toolTipOpacity, 1.0);
    }
};

TEST_F(TooltipGl, FadesInNearThePointerAtLeastTheMinimumWide) {
    target->setToolTipText("i");
    rest(100, 100);
    EXPECT_EQ(canvas->toolTipTarget, 1.0);
    EXPECT_EQ(canvas->toolTipText, "i");
    // Box left = 100 + 20 - 5, top = 100 + 15 - 5; "i" is narrower than
    // the minimum length 50, so the box is 50 + 2 x 5 wide.
    clear(0, 0, 0);
    frame();  // opacity 0.2 after the first eased step
    EXPECT_DOUBLE_EQ(canvas->toolTipOpacity, 0.2);
    // The border is drawn over the faded fill: red 0.2 over blue 0.2.
    EXPECT_TRUE(regionIs(115, 110, 60, 1, Rgba{51, 0, 41}, 1));
    EXPECT_TRUE(regionIs(140, 112, 30, 5, Rgba{0, 0, 51}, 1));

    fadeIn();
    clear(0, 0, 0);
    frame();
    const int h = static_cast<int>(boxHeight("i"));
    EXPECT_TRUE(regionIs(115, 110, 60, 1, Rgba{255, 0, 0}));  // border
    EXPECT_TRUE(regionIs(115, 111, 1, h - 2, Rgba{255, 0, 0}));
    EXPECT_TRUE(regionIs(174, 111, 1, h - 2, Rgba{255, 0, 0}));
    EXPECT_TRUE(regionIs(140, 112, 30, 5, Rgba{0, 0, 255}));  // background
    EXPECT_EQ(countDifferent(175, 100, 20, 40, Rgba{0, 0, 0}), 0);
    EXPECT_EQ(countDifferent(100, 100, 15, 40, Rgba{0, 0, 0}), 0);
    // Green text starts at the padding.
    int green = 0;
    for (int y = 115; y < 110 + h - 5; ++y)
        for (int x = 120; x < 130; ++x) green += pixel(x, y).g > 128;
    EXPECT_GT(green, 5);

    // Moving fades it out again.
    canvas->ProcessMTEvent(MT_MOVE, 101, 100, 0, 0);
    EXPECT_EQ(canvas->toolTipTarget, 0.0);
    frame();
    EXPECT_DOUBLE_EQ(canvas->toolTipOpacity, 0.8);
}

TEST_F(TooltipGl, KeptInsideTheViewport) {
    const std::string text = "A longer tooltip text";
    target->setToolTipText(text);
    rest(250, 250);
    fadeIn();
    clear(0, 0, 0);
    frame();
    EXPECT_THAT(canvas->toolTipPos, test::floatsAre(250, 250));
    // The right and bottom edges of the box are the viewport's.
    EXPECT_TRUE(regionIs(kWidth - 1, kHeight - 20, 1, 20, Rgba{255, 0, 0}));
    EXPECT_TRUE(regionIs(kWidth - 80, kHeight - 1, 80, 1, Rgba{255, 0, 0}));
    // Wider than the minimum: the text decides the width.
    int left = kWidth - 1;
    while (left > 0 && pixel(left - 1, kHeight - 1) == Rgba{255, 0, 0}) --left;
    EXPECT_GT(kWidth - left, 60);
    EXPECT_EQ(pixel(left - 1, kHeight - 1), (Rgba{0, 0, 0}));
    const int top = kHeight - static_cast<int>(boxHeight(text) + 0.5f);
    EXPECT_EQ(pixel(kWidth - 10, top), (Rgba{255, 0, 0}));
    EXPECT_EQ(pixel(kWidth - 10, top - 1), (Rgba{0, 0, 0}));
}

TEST_F(TooltipGl, EmptyTextOrNoFontShowsNothing) {
    rest(100, 100);  // no tooltip text
    EXPECT_EQ(canvas->toolTipTarget, 0.0);
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, Rgba{0, 0, 0}), 0);

    // Without a resource instance there is no tooltip font.
    Instance bare;
    Canvas* other = bare.CreateCanvas();
    other->toolTipText = "x";
    other->toolTipTarget = 1;
    bare.Iterate(0, 0, kWidth, kHeight);
    bare.Draw();
    EXPECT_DOUBLE_EQ(other->toolTipOpacity, 0.2);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, Rgba{0, 0, 0}), 0);
    delete other;
}

}  // namespace
}  // namespace koui
