// QuickMenu: stacking and height, keeping inside the viewport at each edge,
// the order of the three selection reports, the keys, self-deletion.
#include "koui/widgets/quickmenu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "koui/host/instance.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> gLog;

struct Opener : Div {
    bool OnMsg(e_msg* m) override {
        gLog.push_back("msg " + std::to_string(m->id) + " " + m->str);
        return true;
    }
};

struct QuickMenuTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = nullptr;
    Opener* opener = nullptr;
    void SetUp() override {
        gLog.clear();
        canvas = inst->CreateCanvas();
        opener = test::make<Opener>(canvas, 0, 0, 800, 600);
        cycle();
    }
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 800, 600); }
    // Items a, separator, b of heights 24, 8, 24 (client heights 24, 24, 8
    // and 24, 8, 24 stack alike).
    QuickMenu* open(float x, float y) {
        float at[2] = {x, y};
        QuickMenu* m = QuickMenu::wCreate("menu", opener, at, 200, "", "a,A,\n!separator\nb,B,\n\rdropped");
        int heights[] = {24, 8, 24};
        for (int i = 0; i < m->dGetChildrenCount(); ++i) m->dGetChild(i)->dSetSize(200, heights[i]);
        m->setSelectCB([](std::string n) { gLog.push_back("select " + n); });
        // Stacking reads the sizes of the cycle before, and the height
        // shows in the geometry a cycle after it is set.
        for (int i = 0; i < 5; ++i) cycle();
        return m;
    }
    bool isOpen(QuickMenu* m) { return canvas->dGetChildIndex(m) >= 0; }
};

TEST_F(QuickMenuTest, StacksItemsAndKeepsInsideTheViewport) {
    struct Case {
        float x, y;
        int outX, outY;
    } cases[] = {{100, 100, 100, 100}, {700, 100, 575, 100}, {100, 590, 100, 519}, {-30, -40, 0, 0}};
    for (const Case& c : cases) {
        QuickMenu* m = open(c.x, c.y);
        ASSERT_EQ(m->dGetChildrenCount(), 3);  // the unterminated last line is dropped
        EXPECT_EQ(std::tuple(m->dGetCY(), m->dGetChild(2)->dGetRealPixY()), std::tuple(56, 32.0f));
        EXPECT_EQ(std::pair(m->dGetRealPixX(), m->dGetRealPixY()), std::pair(float(c.outX), float(c.outY)))
            << c.x << "," << c.y;
        delete m;
    }
    float at[2] = {0, 0};
    QuickMenu* empty = QuickMenu::wCreate("e", opener, at, 100, "", "");
    cycle();
    cycle();
    EXPECT_EQ(empty->dGetCY(), 20);
}

TEST_F(QuickMenuTest, SelectionIsReportedThreeWaysThenTheMenuGoes) {
    QuickMenu* m = open(100, 100);
    m->dGetChild(2)->setCB("qm", [] { gLog.push_back("item b"); });
    canvas->ProcessMTEvent(MT_LDOWN, 150, 100 + 40, 0, 0);
    EXPECT_THAT(gLog, ElementsAre("item b", "select b", "msg 20 b"));
    cycle();
    EXPECT_FALSE(isOpen(m));
    EXPECT_TRUE(canvas->modalStack.empty());
    canvas->ProcessMTEvent(MT_LDOWN, 150, 100 + 40, 0, 0);  // nothing left to report
    EXPECT_EQ(gLog.size(), 3u);
}

TEST_F(QuickMenuTest, KeysSkipSeparatorsPickAndClose) {
    QuickMenu* m = open(100, 100);
    for (int key : {40, 40, 38, 38, 13}) canvas->ProcessKeyEvent(key, 0, 0);  // down twice wraps to a
    EXPECT_THAT(gLog, ElementsAre("select b", "msg 20 b"));
    cycle();
    EXPECT_FALSE(isOpen(m));
    m = open(100, 100);
    gLog.clear();
    canvas->ProcessKeyEvent(27, 0, 0);
    cycle();
    EXPECT_FALSE(isOpen(m));
    EXPECT_TRUE(gLog.empty());
}

// The focus goes back to the element that had it before the menu opened,
// unless the pick gave it to another.
TEST_F(QuickMenuTest, FocusGoesBackWhenTheMenuCloses) {
    Div* other = test::make<test::Probe>(canvas, 0, 0, 10, 10);
    for (bool pickMovesFocus : {false, true}) {
        opener->dSetFocus();
        QuickMenu* m = open(100, 100);
        ASSERT_EQ(canvas->focus, m);
        if (pickMovesFocus) m->setSelectCB([&](std::string) { other->dSetFocus(); });
        canvas->ProcessMTEvent(MT_LDOWN, 150, 100 + 40, 0, 0);
        cycle();
        EXPECT_EQ(canvas->focus, pickMovesFocus ? other : static_cast<Div*>(opener));
    }
}

}  // namespace
}  // namespace koui
