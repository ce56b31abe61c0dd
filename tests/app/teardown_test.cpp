// The GL worker's teardown frees everything (AddressSanitizer's leak check proves it).
#include <fstream>

#include "app_test_support.h"

namespace {

using namespace koui;
using namespace koui::test;

class appTeardown : public AppTest {};

// Counts live instances of the elements that the test puts on each canvas.
std::atomic<int> liveElements{0};

class Counted : public Div {
public:
    Counted() { ++liveElements; }
    ~Counted() override { --liveElements; }
};

TEST_F(appTeardown, WindowsInARowLeaveNothingBehind) {
    std::ofstream(work->path() / "resdata" / "res.kor") << "box {\n  background: #202428\n}\n";
    for (int i = 0; i < 5; ++i) {
        Opened& o = open("w" + std::to_string(i), 30 + i, 30 + i, 160, 120, nullptr, [](Opened& op) {
            op.onCanvas = [](app::Window* w) {
                Div* parent = w->getCanvas();
                for (int k = 0; k < 5; ++k)
                    parent = (new Counted())->Create("c", parent, 1, 1, 20, 20, nullptr, 0, "box");
            };
        });
        ASSERT_TRUE(waitCycles(o, 2)) << i;
        HWND h = o.window->getHWnd();
        ASSERT_EQ(closeAndPump(h), 1) << i;
        ASSERT_EQ(
            std::tuple(o.window->getGLState(), o.window->getInstance(), o.window->getCanvas(),
                       liveElements.load(), IsWindow(h), logs->count("koui::app::Window : Stop_GL: Done")),
            std::tuple(app::GL_FINISHED, nullptr, nullptr, 0, false, i + 1))
            << i;
        opened.clear();  // the application deletes its window object
        ASSERT_TRUE(wm->getWndVector().empty()) << i;
    }
    // Every instance's watcher thread ended with it.
    EXPECT_EQ(
        std::ranges::count_if(logs->all(),
                              [](const std::string& t) {
                                  return t.starts_with("[END  ] koui::Instance : resInstance_CWorker()");
                              }),
        5);
}

TEST_F(appTeardown, WindowDeletedWhileItsWorkerRunsStopsItFirst) {
    Opened& o = open("running");
    ASSERT_TRUE(waitCycles(o, 1));
    HWND h = o.window->getHWnd();
    o.window.reset();  // no close, no Destroy
    // The worker was stopped and the native window no longer reaches the
    // freed object: its messages get the default handling.
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 0);
    EXPECT_TRUE(wm->getWndVector().empty());
    EXPECT_EQ(o.events.all().back(), "gl.finish");
    PostMessageA(h, WM_CLOSE, 0, 0);  // DefWindowProcA destroys it
    EXPECT_TRUE(pumpUntil(*wm, [&] { return !IsWindow(h); }));
}

}  // namespace
