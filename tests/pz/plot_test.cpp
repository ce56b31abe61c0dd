// Plot canvas, rulers and view without GL: ticks, ranges, pointer gestures,
// ruler animation, arrangement.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "koui/pz/view.h"

namespace koui::pz {
namespace {

struct TickCase {
    const char* name;
    double scale, offset;
    float width;
    int minPixels, subdivisions;
    bool ok;
    double lo, hi;  // visible range
    size_t count;
    double firstValue, firstPixel, lastValue, lastPixel;
};

TEST(PlotCanvas, TickStepsPositionsAndRanges) {
    const TickCase cases[] = {
        {"unit scale: steps of 100", 1, 0, 300, 100, 0, true, 0, 300, 5, 0, 0, 400, 400},
        {"scale 37: step 5, starts a step below", 37, 50, 400, 100, 0, true, -50.0 / 37, 350.0 / 37, 4, -5,
         -135, 10, 420},
        {"ten subdivisions", 1, 0, 100, 100, 10, true, 0, 100, 21, 0, 0, 200, 200},
        {"negative scale: range smaller first", -2, 200, 200, 100, 0, true, 0, 100, 4, 0, 200, 150, -100},
        {"even 10000 units too short", 0.001, 0, 100, 100, 0, false, 0, 100000, 0, 0, 0, 0, 0},
        {"minimum below 10", 1, 0, 100, 9, 0, false, 0, 100, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        canvas.clientSize[0] = c.width;
        canvas.setOffsetAndScaleX(c.offset, c.scale);
        EXPECT_FLOAT_EQ(canvas.getXRange().x, float(c.lo));
        EXPECT_FLOAT_EQ(canvas.getXRange().y, float(c.hi));
        Ticks ticks{{1, 1}};
        EXPECT_EQ(canvas.rulerCalculate(ticks, false, c.minPixels, c.subdivisions), c.ok);
        ASSERT_EQ(ticks.size(), c.count);
        if (!c.count) continue;
        EXPECT_DOUBLE_EQ(ticks.front().first, c.firstValue);
        EXPECT_DOUBLE_EQ(ticks.front().second, c.firstPixel);
        EXPECT_NEAR(ticks.back().first, c.lastValue, 1e-9);
        EXPECT_NEAR(ticks.back().second, c.lastPixel, 1e-9);
    }
}

// Start transform: offset (10, 20), scale 1; the pointer at client (100, 50)
// is plot (90, 30).
struct PointerCase {
    const char* name;
    uint32_t mods;
    float wheel;
    double ox, oy, scale;  // expected; scale the same on both axes
};

e_mtevent event(uint32_t type, float vx, float vy, uint32_t mods = 0, float z = 0) {
    e_mtevent e{};
    e.type = type, e.mods = mods;
    e.viewPos[0] = vx, e.viewPos[1] = vy;
    e.pos[0] = vx - 10, e.pos[1] = vy - 20, e.pos[2] = z;
    return e;
}

TEST(PlotCanvas, WheelScrollsOrZoomsAboutThePointerWithinTheDefaultLimits) {
    const PointerCase cases[] = {
        {"plain: 25 pixels down", 0, 1, 10, 45, 1},
        {"shift: 25 pixels left", MOD_SHIFT, -1, -15, 20, 1},
        {"ctrl: 10 % about the pointer", MOD_CTRL, 1, 100 - 90 * 1.1, 50 - 30 * 1.1, 1.1},
        {"ctrl+shift: ten notches, clamped at 0.25", MOD_CTRL | MOD_SHIFT, -1, 100 - 90 * 0.25,
         50 - 30 * 0.25, 0.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        canvas.setOffset({10, 20});
        e_mtevent e = event(MT_WHEEL, 100, 50, c.mods, c.wheel);
        EXPECT_TRUE(canvas.OnMTEvent(&e));
        EXPECT_DOUBLE_EQ(canvas.vmat.offset[0], c.ox);
        EXPECT_DOUBLE_EQ(canvas.vmat.offset[1], c.oy);
        EXPECT_DOUBLE_EQ(canvas.vmat.scale[0], c.scale);
        EXPECT_DOUBLE_EQ(canvas.vmat.scale[1], c.scale);
        EXPECT_FALSE(canvas.setMat.isActive());
    }
}

// Gestures run through a view so that the mouse callback is heard.
TEST(PlotView, GesturesNotifyAndAdoptAtTheRelease) {
    std::unique_ptr<View> view(
        static_cast<View*>((new View())->Create("v", nullptr, 0, 0, 300, 200, nullptr, 0, "")));
    Canvas& c = *view->getCanvas();
    std::vector<uint32_t> heard;
    view->setMouseCB([&](const e_mouseinfo& m) { heard.push_back(m.type); });
    c.setOffset({10, 20});
    struct Step {
        e_mtevent e;
        bool result;
    };
    const Step steps[] = {
        {event(MT_LUP, 0, 0), true},        // release without a gesture
        {event(MT_RDOWN, 100, 50), false},  // right without Ctrl: only heard
        {event(MT_MDOWN, 100, 50), true},   // pan
        {event(MT_MOVE, 130, 40), false},
        {event(MT_MUP, 130, 40), true},                          // adopts offset (40, 10)
        {event(MT_LDOWN, 100, 50, MOD_CTRL | MOD_SHIFT), true},  // drag zoom: not heard
        {event(MT_MOVE, 110, 0), false},                         // +1 scale
        {event(MT_LUP, 110, 0), true},
    };
    for (auto s : steps) EXPECT_EQ(c.OnMTEvent(&s.e), s.result) << std::hex << s.e.type;
    EXPECT_EQ(heard, (std::vector<uint32_t>{MT_LUP, MT_RDOWN, MT_MDOWN, MT_MOVE, MT_MUP, MT_MOVE, MT_LUP}));
    // The zoom keeps the event's plot point (90, 30) under client (100, 50).
    EXPECT_DOUBLE_EQ(c.vmat.scale[0], 2);
    EXPECT_DOUBLE_EQ(c.vmat.offset[0], 100 - 90 * 2);
    EXPECT_DOUBLE_EQ(c.vmat.offset[1], 50 - 30 * 2);
}

TEST(PlotRuler, ShowAnimationEasesIn) {
    struct Case {
        bool visible;
        double duration, at;
        int size;
    } cases[] = {
        {false, 0.5, 0, 100}, {false, 0.5, 0.125, 93}, {false, 0.5, 0.25, 75},
        {false, 0.5, 0.5, 0}, {true, 0, 0, 100},
    };
    for (const auto& c : cases) {
        Ruler r(0, 100);
        r.show(c.visible, c.duration);
        EXPECT_EQ(r.getSizeAt(r.showStart + c.at), c.size) << c.visible << " " << c.at;
    }
}

TEST(PlotView, ArrangesAroundTheRulersAndDragsAlongOneAxis) {
    std::unique_ptr<View> view(
        static_cast<View*>((new View())->Create("v", nullptr, 0, 0, 300, 200, nullptr, 0, "")));
    e_iterate it{};
    auto cycle = [&] { view->Iterate(&it, glm::mat4(1.0f)); };
    cycle();
    Canvas* c = view->getCanvas();
    EXPECT_EQ(c->realPos[0], 20);
    EXPECT_EQ(c->realPos[1], 20);
    EXPECT_EQ(c->dGetCX(), 280);
    EXPECT_EQ(view->getRuler(1)->dGetCY(), 180);
    view->getRuler(1)->show(false, 0);
    cycle();
    EXPECT_EQ(c->realPos[0], 0);
    EXPECT_EQ(c->dGetCX(), 300);
    EXPECT_EQ(view->getHorzRuler()->dGetCX(), 300);
    EXPECT_EQ(view->getRuler(2), nullptr);
    EXPECT_EQ(view->getRuler(-1), nullptr);

    Ruler* top = view->getHorzRuler();
    e_mtevent press = event(MT_LDOWN, 10, 5), move = event(MT_MOVE, 40, 60);
    EXPECT_TRUE(top->OnMTEvent(&press));
    EXPECT_FALSE(top->OnMTEvent(&move));
    EXPECT_DOUBLE_EQ(c->vmat.offset[0], 30);
    EXPECT_DOUBLE_EQ(c->vmat.offset[1], 0);
}

}  // namespace
}  // namespace koui::pz
