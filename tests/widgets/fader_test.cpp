// Fader: the pixel/value mapping at both ends, thumb width clamping, drags,
// keys with and without a step, and the change report once per cycle.
#include "koui/widgets/fader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "koui/host/instance.h"
#include "koui/res/image_base.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using ::testing::ElementsAre;

// Range 0..100 on a 116-pixel client with a 16-pixel thumb: one value per pixel.
struct FaderTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    res::ImageBase thumb{"thumb"};
    Canvas* canvas = nullptr;
    Fader* f = nullptr;
    std::vector<double> reports;
    void SetUp() override {
        canvas = inst->CreateCanvas();
        f = test::make<Fader>(canvas, 10, 10, 116, 20);
        f->thumbImage = res::Img(&thumb);
        f->setRange(0, 100)->setChangeCB([this](double v) { reports.push_back(v); });
        cycle();
    }
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 400, 300); }
    void key(int k, int mods = 0) { canvas->ProcessKeyEvent(k, 0, mods); }
};

TEST_F(FaderTest, MapsValuesAndPixelsAtBothEnds) {
    struct Case {
        double set;
        int pix;
        double stored;
    } cases[] = {{25, 25, 25}, {0, 0, 0}, {100, 100, 100}, {150, 100, 100}, {-5, 0, 0}, {99.9, 99, 99.9}};
    EXPECT_EQ(f->trackEnd, 100);
    for (const Case& c : cases) {
        f->setValue(c.set);
        EXPECT_EQ(std::pair(f->thumbPos, f->value), std::pair(c.pix, c.stored)) << c.set;
    }
    EXPECT_DOUBLE_EQ(f->Pix2Real(-3), 0);
    EXPECT_DOUBLE_EQ(f->Pix2Real(140), 100);
    f->setRange(5, 5);  // empty range: pixel 0, value min
    EXPECT_EQ(std::pair(f->Real2Pix(7), f->Pix2Real(50)), std::pair(0, 5.0));
}

TEST_F(FaderTest, ThumbWidthIsClampedForDrawingAndHitTesting) {
    for (auto [asked, used] : {std::pair(4, 8), std::pair(50, 32), std::pair(20, 20)}) {
        f->thumbWidth = asked;
        cycle();
        EXPECT_EQ(std::pair(f->thumbW, f->trackEnd), std::pair(used, 116 - used)) << asked;
    }
    canvas->ProcessMTEvent(MT_LDOWN, 10 + 19.5, 15, 0, 0);  // inside a 20-pixel thumb at 0
    EXPECT_EQ(f->dragging, 1);
    canvas->ProcessMTEvent(MT_LUP, 0, 0, 0, 0);
    canvas->ProcessMTEvent(MT_LDOWN, 10 + 20, 15, 0, 0);  // just beside it: focus, no drag
    EXPECT_EQ(std::tuple(f->dragging, f->thumbPos, canvas->focus), std::tuple(0, 0, static_cast<Div*>(f)));
}

TEST_F(FaderTest, DragReportsOnceInTheNextCycle) {
    f->setValue(25);
    cycle();
    reports.clear();
    canvas->ProcessMTEvent(MT_LDOWN, 10 + 30, 15, 0, 0);
    canvas->ProcessMTEvent(MT_MOVE, 10 + 50, 15, 0, 0);
    canvas->ProcessMTEvent(MT_MOVE, 10 + 70, 99, 0, 0);  // only x counts
    EXPECT_TRUE(reports.empty());
    cycle();
    cycle();
    EXPECT_THAT(reports, ElementsAre(65));
    EXPECT_EQ(f->thumbPos, 65);
    f->setValue(65);  // the value already reported
    cycle();
    EXPECT_THAT(reports, ElementsAre(65));
}

TEST_F(FaderTest, KeysMoveByPixelsOrBySteps) {
    canvas->ProcessMTEvent(MT_LDOWN, 10 + 60, 15, 0, 0);  // focus
    struct Case {
        double step;  // 0: setStep never called
        double from;
        int key, mods;
        double to;
    } cases[] = {
        {0, 25, 39, 0, 27},          {0, 25, 39, MOD_SHIFT, 35}, {0, 25, 37, 0, 23},
        {0, 99, 39, MOD_SHIFT, 100}, {0, 25, 36, 0, 0},          {0, 25, 35, 0, 100},
        {10, 25, 39, 0, 30},         {10, 30, 39, 0, 40},        {10, 30, 37, MOD_SHIFT, 20},
        {10, 95, 39, 0, 100},
    };
    for (const Case& c : cases) {
        if (c.step > 0) f->setStep(c.step);
        f->setValue(c.from);
        key(c.key, c.mods);
        EXPECT_DOUBLE_EQ(f->value, c.to) << c.step << " " << c.from << " key " << c.key;
    }
    f->thumbImage = res::Img();  // no track: arrows give min, Home and End the ends
    f->trackEnd = f->thumbW = 0;
    f->setValue(50);
    key(39);
    EXPECT_DOUBLE_EQ(f->value, 0);
    key(35);
    EXPECT_DOUBLE_EQ(f->value, 100);
}

}  // namespace
}  // namespace koui
