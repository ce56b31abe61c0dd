// Drawing on demand under a real X server. Runs alone: another test's
// window appearing over this one, or taking the focus, wakes it for good
// reasons and would be counted as frames drawn for nothing.
#include <atomic>
#include <filesystem>
#include <fstream>

#include "app_test_support.h"
#include "koui/widgets/edit.h"
#include "tests/support/test_font.h"

namespace {

using namespace koui;
using namespace koui::test;
using app::Window;

class appWindow : public AppTest {};

// Drawing on demand: an unchanged window draws nothing; input draws; a
// focused edit's caret asks for its toggles only (about two a second), and
// only while it has the focus.
TEST_F(appWindow, OnDemandWindowDrawsForInputAndForACaretWhileFocused) {
    std::filesystem::create_directories("resdata/Fonts");
    std::filesystem::copy_file(test::kTestFontPath, "resdata/Fonts/test.ttf");
    std::ofstream("resdata/res.kor", std::ios::trunc)
        << "fonts {\n  small { font src: \"Fonts/test.ttf\" size: 9 }\n}\nedit {\n  font-type: "
           "fonts.small\n}\n";
    // 1: the edit, 2: the recorder; taken at the next cycle's end, after its
    // draw, so that cycle wakes the next to show it.
    std::atomic<int> focus{0};
    Opened& o = open("demand", 40, 40, 200, 150, nullptr, [&focus](Opened& op) {
        op.window->setDrawOnDemand(true);
        op.onCanvas = [](Window* w) {
            (new Edit())->Create("edit", w->getCanvas(), 10, 10, 100, 24, nullptr, 0, "edit");
        };
        op.onCycleEnd = [&focus](Window* w) {
            if (const int to = focus.exchange(0)) {
                w->getCanvas()->children[to == 1 ? 1 : 0]->dSetFocus();
                w->wake();
            }
        };
    });
    // Frames drawn while pumping `ms` (after the pointer's hover request).
    auto framesOver = [&](int ms) {
        const int before = o.cycles.load();
        pumpUntil(
            *wm, [] { return false; }, ms);
        return o.cycles.load() - before;
    };
    // Comes to rest: one of a few spans of `ms` passes without a frame (a
    // loaded machine may deliver the last wake-up late; a worker that never
    // sleeps, or a caret that keeps asking, never rests).
    auto rests = [&](int ms) {
        for (int span = 0; span < 4; ++span)
            if (framesOver(ms) == 0) return true;
        return false;
    };
    ASSERT_TRUE(waitCycles(o, 1));
    EXPECT_TRUE(rests(300)) << "idle";
    const int before = o.cycles.load();
    PostMessageA(o.window->getHWnd(), WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(pumpUntil(
        *wm, [&] { return o.cycles.load() > before; }, 2000))
        << "input draws";
    EXPECT_EQ(o.input.all(), std::vector<std::string>{"key 65 65"});

    focus = 1;
    o.window->wake();
    const int blinking = framesOver(1600);
    EXPECT_GE(blinking, 3) << "a toggle every half second";
    EXPECT_LE(blinking, 6) << "and no frame between toggles";
    focus = 2;
    o.window->wake();
    framesOver(600);  // the toggle asked for while focused
    EXPECT_TRUE(rests(700)) << "no caret without the focus";
}

}  // namespace
