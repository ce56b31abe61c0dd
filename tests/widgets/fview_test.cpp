// FView: zoom limits of both gestures, the wheel zoom about the pointer,
// fitting a rectangle, and ruler tick steps at chosen scales.
#include "koui/widgets/fview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "koui/host/instance.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

struct FViewTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = nullptr;
    FView* v = nullptr;
    void SetUp() override {
        canvas = inst->CreateCanvas();
        v = test::make<FView>(canvas, 0, 0, 800, 400);
        cycle();
    }
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 1000, 1000); }
    void wheel(double x, double y, double z, int mods) {
        canvas->ProcessMTEvent(MT_WHEEL, x, y, z, mods);
        cycle();
    }
};

TEST_F(FViewTest, GesturesKeepZoomWithinLimits) {
    struct Case {
        double from;
        int notches;  // Ctrl + wheel, each +-0.1
        double to;
    } cases[] = {{0.3, -2, 0.25}, {99.95, 1, 100}, {1.0, 3, 1.3}, {1.0, -1, 0.9}};
    for (const Case& c : cases) {
        v->zoom = c.from;
        for (int i = 0; i < std::abs(c.notches); ++i) wheel(300, 200, c.notches, MOD_CTRL);
        EXPECT_NEAR(v->zoom, c.to, 1e-9) << c.from;
    }
    v->zoom = 1, v->pan[0] = v->pan[1] = 0;
    cycle();
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 400, 200, 0, MOD_CTRL | MOD_SHIFT));
    for (auto [dx, zoom] : {std::pair(-100.0, 0.25), std::pair(2000.0, 100.0), std::pair(20.0, 3.0)}) {
        canvas->ProcessMTEvent(MT_MOVE, 400 + dx, 200, 0, 0);
        EXPECT_DOUBLE_EQ(v->zoom, zoom) << dx;
        EXPECT_DOUBLE_EQ(v->pan[0], 400 - zoom * 400) << dx;  // the pressed point stays put
    }
    canvas->ProcessMTEvent(MT_LUP, 0, 0, 0, 0);
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_LDOWN, 400, 200, 0, 0));  // plain clicks pass through
}

TEST_F(FViewTest, WheelZoomKeepsThePointUnderThePointer) {
    v->zoom = 2, v->pan[0] = -50, v->pan[1] = 30;
    cycle();
    glm::vec2 before = v->NoMod2Mat(300, 100);
    wheel(300, 100, -120, MOD_CTRL);
    EXPECT_NEAR(v->zoom, 1.9, 1e-9);
    glm::vec2 after = v->NoMod2Mat(300, 100);
    EXPECT_NEAR(after.x, before.x, 1e-3);
    EXPECT_NEAR(after.y, before.y, 1e-3);
    double panY = v->pan[1];
    wheel(300, 100, 120, 0);  // the plain wheel scrolls by 10
    EXPECT_DOUBLE_EQ(v->pan[1], panY + 10);
}

TEST_F(FViewTest, CenterToRectFitsTheLimitingAxis) {
    v->dSetSize(400, 400);
    cycle();
    v->CenterToRect(0, 0, 200, 100, 0);  // twice as wide as high, square view: the width fits
    EXPECT_DOUBLE_EQ(v->zoom, 2);
    v->CenterToRect(0, 0, 100, 200, 0);
    EXPECT_DOUBLE_EQ(v->zoom, 2);
    EXPECT_DOUBLE_EQ(v->pan[0], 100);
}

TEST_F(FViewTest, TickStepsAreOneTwoTwoAndAHalfOrFiveTimesAPowerOfTen) {
    struct Case {
        double zoom;
        double step;
    } cases[] = {{0.8, 200}, {1.0, 100}, {0.45, 250}, {2.5, 50}, {0.11, 500}, {120, 0.5}};
    FView::Ticks ticks;
    for (const Case& c : cases) {
        v->zoom = c.zoom;
        cycle();
        ASSERT_TRUE(v->rulerCalculate(ticks, false, 100, 0));
        ASSERT_GE(ticks.size(), 2u);
        EXPECT_NEAR(ticks[1].first - ticks[0].first, c.step, 1e-4) << c.zoom;
    }
    v->zoom = 1, v->pan[0] = -130, v->pan[1] = 0;
    cycle();
    v->rulerCalculate(ticks, false, 100, 0);  // view 130..930: from 100 through 1000
    ASSERT_EQ(ticks.size(), 10u);
    EXPECT_EQ(ticks.front(), std::pair(100.0f, -30.0f));
    v->rulerCalculate(ticks, true, 100, 10);  // y 0..400: 0 through 500, ten ticks each
    ASSERT_EQ(ticks.size(), 60u);
    EXPECT_EQ(ticks[13], std::pair(130.0f, 130.0f));
}

}  // namespace
}  // namespace koui
