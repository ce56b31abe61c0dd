// Container: the overflow limits and the wheel step; the progress norm.
#include "koui/widgets/container.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "koui/host/instance.h"
#include "koui/widgets/progbar.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

TEST(ContainerTest, WheelScrollsByTheStepWithinTheOverflow) {
    std::unique_ptr<Instance> inst{new Instance()};
    std::unique_ptr<Canvas> canvas{inst->CreateCanvas()};
    auto* box = test::make<Container>(canvas.get(), 0, 0, 200, 100);
    Div* child = test::make<Div>(box, 0, 200, 50, 50);
    auto cycle = [&] { inst->Iterate(0, 0, 400, 300); };
    cycle();
    cycle();                              // the children are measured a cycle after they are placed
    EXPECT_EQ(box->offsetLimit[3], 160);  // 250 - 100 + 10
    // Notches towards the user (-1) scroll down by 50 until the limit, away
    // from the user back to 0 and no further.
    struct Step {
        double notch, target;
    } steps[] = {{-1, -50}, {-1, -100}, {-1, -150}, {-1, -160}, {1, -110}, {1, -60}, {1, -10}, {1, 0}};
    for (const Step& s : steps) {
        EXPECT_TRUE(canvas->ProcessMTEvent(MT_WHEEL, 50, 50, s.notch * 120, 0));
        cycle();
        EXPECT_EQ(box->childOffsetTarget[1], s.target);
    }
    child->dSetY(20);  // the content fits: nothing to scroll
    cycle();
    cycle();
    canvas->ProcessMTEvent(MT_WHEEL, 50, 50, -120, 0);
    cycle();
    EXPECT_EQ(std::pair(box->offsetLimit[3], box->childOffsetTarget[1]), std::pair(0.0, 0.0));
    box->dDisable();
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_WHEEL, 50, 50, -120, 0));
}

TEST(ProgBarTest, NormStaysWithinZeroAndOne) {
    struct Case {
        double value, min, max, norm;
    } cases[] = {{0, 0, 100, 0},  {42.5, 0, 100, 0.425}, {100, 0, 100, 1}, {150, 0, 100, 1},
                 {-5, 0, 100, 0}, {7, 5, 5, 0},          {3, 10, 0, 0}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(progNorm(c.value, c.min, c.max), c.norm) << c.value;
    FixedProgBar bar;
    bar.setRange(0, 100);
    for (auto [set, stored] : {std::pair(150.0, 100.0), std::pair(-5.0, 0.0), std::pair(42.0, 42.0)}) {
        bar.setValue(set);
        EXPECT_EQ(bar.value, stored);
    }
}

}  // namespace
}  // namespace koui
