// Stopping a window whose GL worker does not end, and the frame limiter.
#include "tests/app/app_test_support.h"

namespace koui::test {
namespace {

const std::string kTimeout = "[ERROR] koui::app::Window : Stop_GL()> Reached timeout while waiting to finish";
const std::string kKept =
    "[ERROR] koui::app::Window : deleted while its GL worker still runs: the window is kept, not freed";

// A worker stuck in the application's callback: WM_CLOSE waits for it once,
// the window is destroyed anyway and the quit posted; delete keeps the
// object for the worker, and frees it once the worker has ended.
TEST_F(AppTest, StuckWorkerIsWaitedForOnceAndOutlivesDelete) {
    std::atomic<bool> block{false}, stuck{false}, release{false};
    Opened& o = open("stuck", 40, 40, 200, 150, nullptr, [&](Opened& opened) {
        opened.window->stopTimeoutMs = 200;
        opened.onCycleEnd = [&](app::Window*) {
            if (!block) return;
            stuck = true;
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    });
    ASSERT_TRUE(waitCycles(o, 1));
    block = true;
    ASSERT_TRUE(pumpUntil(*wm, [&] { return stuck.load(); }));
    const HWND h = o.window->getHWnd();
    EXPECT_EQ(closeAndPump(h), 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(logs->count(kTimeout), 1);  // WM_DESTROY did not wait again

    app::Window* w = o.window.release();
    delete w;  // NOLINT: the worker still runs, so the window stays
    EXPECT_EQ(logs->count(kKept), 1);
    EXPECT_EQ(w->getGLState(), app::GL_STOPPING);
    release = true;
    ASSERT_TRUE(pumpUntil(*wm, [&] { return w->getGLState() == app::GL_FINISHED; }));
    delete w;  // now it goes (LeakSanitizer and ASan watch both deletes)
    EXPECT_EQ(logs->count(kTimeout), 1);
    EXPECT_EQ(logs->count(kKept), 1);
}

// A frame limit of 100 ms allows at most a handful of cycles in half a
// second (a loaded machine only makes fewer), where the default would
// allow 30.
TEST_F(AppTest, FrameLimitCapsTheCycles) {
    Opened& o = open("paced");
    ASSERT_TRUE(waitCycles(o, 1));
    o.window->frameLimitMs = 100.0;
    ASSERT_TRUE(waitCycles(o, o.cycles.load() + 1));
    const int before = o.cycles.load();
    pumpUntil(
        *wm, [] { return false; }, 500);
    EXPECT_LE(o.cycles.load() - before, 7);
}

}  // namespace
}  // namespace koui::test
