// Window and its GL worker under a real X server.
#include <GL/glew.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <thread>

#include "app_test_support.h"
#include "koui/app/win_placement.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"

namespace {

using namespace koui;
using namespace koui::test;
using app::Window;
using ::testing::_;
using ::testing::ElementsAre;

class appWindow : public AppTest {};

TEST_F(appWindow, WorkerSendsItsUIEventsInOrderAndLogsItsSteps) {
    Opened& o = open("first", 40, 50, 200, 150);
    ASSERT_NE(o.window->getHWnd(), nullptr);
    ASSERT_TRUE(waitCycles(o, 3));
    EXPECT_EQ(o.window->getGLState(), app::GL_RUNNING);
    EXPECT_TRUE(o.window->getCanvas() && o.window->getInstance() && o.window->glGetContext());

    EXPECT_EQ(closeAndPump(o.window->getHWnd()), 1);  // what the close frees: the teardown tests
    // Whole cycles, start and finish in turn, between the start and the end.
    const auto ev = o.events.all();
    std::vector<std::string> expected = {"gl.start", "canvas.created"};
    while (expected.size() + 1 < ev.size())
        expected.insert(expected.end(), {"gl.cycle.start", "gl.cycle.finish"});
    expected.push_back("gl.finish");
    EXPECT_EQ(ev, expected);
    EXPECT_EQ(o.window->glGetContext(), nullptr);

    const std::string me = "koui::app::Window : ";
    for (const std::string& line :
         {"[BEGIN] " + me + "Create((nil),first,40,50,200,150,2415919104,0)", "[END  ] " + me + "Create()",
          me + "Creating Instance...", "[OK] " + me + "Instance created, continuing with GL cycle...",
          "[BEGIN] " + me + "WM_CLOSE", me + "Stop_GL: Done", kQuitLine})
        EXPECT_EQ(logs->count(line), 1) << line;  // the style 2415919104 is WS_POPUP | WS_VISIBLE
    EXPECT_TRUE(logs->hasPrefix("[BEGIN] " + me + "GL_Worker()"));
    EXPECT_TRUE(logs->hasPrefix("[END  ] " + me + "GL_Worker() (dt="));
}

TEST_F(appWindow, PostedMessagesReachTheCanvasAsEvents) {
    Opened& o = open("input", 60, 70, 200, 150);
    ASSERT_TRUE(waitCycles(o, 2));
    // Under the pointer, so that the wheel finds an element.
    POINT at{0, 0};
    GetCursorPos(&at);
    MoveWindow(o.window->getHWnd(), at.x - 100, at.y - 75, 200, 150, 1);
    ASSERT_TRUE(waitCycles(o, o.cycles + 2));
    HWND h = o.window->getHWnd();
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(h, &cursor);
    // Moves, double clicks and key releases are dropped; positions are signed
    // words; the wheel carries the cursor's client position, not its own.
    const std::string wheel = std::to_string(cursor.x) + " " + std::to_string(cursor.y);
    const struct {
        UINT msg;
        WPARAM w;
        LPARAM l;
        std::string seen;
    } posted[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 30), "mt 4113 20 30 z 0 mods 0"},
        {WM_LBUTTONUP, 0, MAKELPARAM(21, 31), "mt 4114 21 31 z 0 mods 0"},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(-5, 40), "mt 4129 -5 40 z 0 mods 0"},
        {WM_RBUTTONUP, 0, MAKELPARAM(5, 40), "mt 4130 5 40 z 0 mods 0"},
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(7, 8), "mt 4145 7 8 z 0 mods 0"},
        {WM_MBUTTONUP, 0, MAKELPARAM(7, 8), "mt 4146 7 8 z 0 mods 0"},
        {WM_MOUSEMOVE, 0, MAKELPARAM(9, 9), ""},
        {WM_LBUTTONDBLCLK, 0, MAKELPARAM(9, 9), ""},
        {WM_KEYUP, 'A', 0, ""},
        {WM_KEYDOWN, 'A', 0, "key 65 65"},
        {WM_CHAR, 'a', 0, "char 97"},
        {WM_KEYDOWN, VK_OEM_COMMA, 0, "key 188 44"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -240), MAKELPARAM(3000, 3000), "mt 4177 " + wheel + " z -240 mods 0"},
    };
    std::vector<std::string> expected;
    for (const auto& p : posted) {
        PostMessageA(h, p.msg, p.w, p.l);
        if (!p.seen.empty()) expected.push_back(p.seen);
    }
    ASSERT_TRUE(pumpUntil(*wm, [&] { return o.input.all().size() >= expected.size(); }));
    ASSERT_TRUE(waitCycles(o, o.cycles + 2));
    EXPECT_EQ(o.input.all(), expected);
}

// An element that throws from its pointer handler on a right press.
class Thrower : public Div {
public:
    bool OnMTEvent(e_mtevent* e) override {
        if (e->type == MT_RDOWN) throw std::runtime_error("handler failed");
        return false;
    }
};

TEST_F(appWindow, PointerHandlerExceptionIsCaughtAndTheDrainGoesOn) {
    Opened& o = open("throw", 40, 40, 200, 150, nullptr, [](Opened& op) {
        op.onCanvas = [](Window* w) {
            auto* t = new Thrower();
            t->Create("thrower", w->getCanvas(), 0, 0, 100, 100, nullptr, 0, "");
        };
    });
    ASSERT_TRUE(waitCycles(o, 1));
    HWND h = o.window->getHWnd();
    PostMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    PostMessageA(h, WM_KEYDOWN, 'B', 0);
    ASSERT_TRUE(pumpUntil(*wm, [&] { return o.input.has("key 66 66"); }));
    EXPECT_EQ(logs->count("koui::app::Window : Not found"), 1);
    EXPECT_EQ(o.window->getGLState(), app::GL_RUNNING);
}

// Escape posts WM_CLOSE and never reaches the elements. The first close is
// held back, so that a later key shows the drain went past Escape.
TEST_F(appWindow, EscapeClosesTheWindowAndNeverReachesTheElements) {
    std::atomic<int> closes{0};
    std::atomic<bool> hold{true};
    Opened& o = open("escape", 40, 40, 200, 150, [&](app::e_wndmsg& m) {
        if (m.msg == WM_CLOSE) ++closes;
        return m.msg == WM_CLOSE && hold;
    });
    ASSERT_TRUE(waitCycles(o, 1));
    HWND h = o.window->getHWnd();
    EXPECT_EQ(SendMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0), 1);
    EXPECT_EQ(closes.load(), 0);  // posted, not handled inside the send
    ASSERT_TRUE(pumpUntil(*wm, [&] { return closes.load() == 1; }));
    PostMessageA(h, WM_KEYDOWN, 'B', 0);
    ASSERT_TRUE(pumpUntil(*wm, [&] { return o.input.has("key 66 66"); }));
    EXPECT_FALSE(o.input.has("key 27 27"));

    hold = false;
    EXPECT_EQ(SendMessageA(h, WM_KEYDOWN, VK_ESCAPE, 0), 1);
    EXPECT_EQ(pumpQuits(1), 1);
    EXPECT_FALSE(IsWindow(h));
    // One WM_QUIT, one false; the loop then goes on as usual.
    EXPECT_EQ(pumpQuits(1, 300), 0);
}

// Each window paints a corner in its colour before the swap and reads it back.
TEST_F(appWindow, TwoWindowsDrawOnTheirOwnThreads) {
    struct Seen {
        std::mutex lock;
        std::set<std::thread::id> threads;
        uint8_t own[4] = {}, clear[4] = {};
    } seen[2];
    Opened* win[2];
    for (int i = 0; i < 2; ++i)
        win[i] = &open(i ? "B" : "A", 20 + 220 * i, 20, 160, 120, nullptr, [&s = seen[i], i](Opened& o) {
            o.onCycleEnd = [&s, i](Window*) {
                glEnable(GL_SCISSOR_TEST);
                glScissor(0, 0, 10, 10);
                glClearColor(i ? 0 : 1, i ? 1 : 0, 0, 1);
                glClear(GL_COLOR_BUFFER_BIT);
                glDisable(GL_SCISSOR_TEST);
                std::lock_guard guard(s.lock);
                s.threads.insert(std::this_thread::get_id());
                glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, s.own);
                glReadPixels(50, 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, s.clear);
            };
        });
    ASSERT_TRUE(pumpUntil(*wm, [&] { return win[0]->cycles >= 10 && win[1]->cycles >= 10; }));
    for (int i = 0; i < 2; ++i) {
        std::lock_guard guard(seen[i].lock);
        EXPECT_EQ(seen[i].threads.size(), 1u);
        EXPECT_FALSE(seen[i].threads.contains(std::this_thread::get_id()));
        EXPECT_FALSE(seen[i].threads.contains(*seen[1 - i].threads.begin()));
        EXPECT_THAT(seen[i].own, ElementsAre(i ? 0 : 255, i ? 255 : 0, 0, _));
        const auto grey = ::testing::AllOf(::testing::Ge(25), ::testing::Le(27));  // the cycle clears to 0.1
        EXPECT_THAT(seen[i].clear, ElementsAre(grey, grey, grey, _));
    }
    for (Opened* o : win) wm->Destroy(o->window.get());  // their callbacks use `seen`
}

// A stale archive is removed; one that cannot be (a full folder) is reported.
TEST_F(appWindow, StaleArchiveIsRemovedOrReported) {
    std::ofstream(work->path() / "res.koc") << "not an archive";
    std::filesystem::create_directories(work->path() / "busy.koc");
    std::ofstream(work->path() / "busy.koc" / "keep") << "x";
    Opened& o = open("folder");
    Opened& busy =
        open("busy", 40, 40, 200, 150, nullptr, [](Opened& op) { op.window->resArchivePath = "busy.koc"; });
    ASSERT_TRUE(waitCycles(o, 1) && waitCycles(busy, 2));
    EXPECT_FALSE(std::filesystem::exists(work->path() / "res.koc"));
    EXPECT_TRUE(logs->hasPrefix("[ERROR] koui::app::Window : Cannot remove busy.koc: "));
    EXPECT_TRUE(std::filesystem::exists(work->path() / "busy.koc" / "keep"));
    EXPECT_EQ(busy.window->getGLState(), app::GL_RUNNING);
}

TEST_F(appWindow, CompiledArchiveIsWrittenAndReadByTheNextWindow) {
    std::atomic<int> usedArchive[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        Opened& o =
            open("packed" + std::to_string(i), 40, 40, 200, 150, nullptr, [&usedArchive, i](Opened& op) {
                op.window->compileResArchive = true;
                op.window->resArchivePath = "packed.koc";
                op.onCanvas = [&usedArchive, i](Window* w) {
                    usedArchive[i] = w->getInstance()->resInstance->usingComp() ? 1 : 0;
                };
            });
        ASSERT_TRUE(waitCycles(o, 1));
        EXPECT_TRUE(std::filesystem::exists(work->path() / "packed.koc"));
        ASSERT_EQ(closeAndPump(o.window->getHWnd()), 1);
    }
    // The first packs the folder it reads, the second finds the archive and keeps it.
    EXPECT_EQ(std::tuple(usedArchive[0].load(), usedArchive[1].load()), std::tuple(0, 1));
    EXPECT_GT(std::filesystem::file_size(work->path() / "packed.koc"), 4u);
}

TEST_F(appWindow, SecondStartWhileRunningMakesNoThread) {
    Opened& o = open("twice");
    ASSERT_TRUE(waitCycles(o, 1));
    HANDLE t = o.window->glThread;
    EXPECT_FALSE(o.window->Start_GL());
    EXPECT_EQ(std::tuple(o.window->glThread, o.window->getGLState()), std::tuple(t, app::GL_RUNNING));
}

TEST_F(appWindow, ClosingAWindowWhoseWorkerNeverStartedStillDestroysIt) {
    // The callback claims WM_CREATE, so the worker is never started.
    Opened& o = open("no-worker", 40, 40, 200, 150, [](app::e_wndmsg& m) { return m.msg == WM_CREATE; });
    HWND h = o.window->getHWnd();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(o.window->getGLState(), app::GL_IDLE);
    EXPECT_EQ(closeAndPump(h), 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(logs->count("koui::app::Window : Stop_GL: ERROR"), 1);
    EXPECT_TRUE(o.events.all().empty());
}

TEST_F(appWindow, CloseRightAfterCreationIsNotLost) {
    Opened& o = open("hasty");
    HWND h = o.window->getHWnd();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(closeAndPump(h), 1);
    EXPECT_EQ(o.window->getGLState(), app::GL_FINISHED);
    EXPECT_FALSE(IsWindow(h));
}

// A claimed message is answered with the callback's result alone.
TEST_F(appWindow, CallbackMayClaimAMessage) {
    Opened& o = open("claim", 40, 40, 200, 150, [](app::e_wndmsg& m) {
        m.result = 42;
        return m.msg == WM_USER + 7;
    });
    HWND h = o.window->getHWnd();
    EXPECT_EQ(std::tuple(SendMessageA(h, WM_USER + 7, 0, 0), SendMessageA(h, WM_USER + 8, 0, 0)),
              std::tuple(42, 0));
}

TEST_F(appWindow, PressTakesFocusAndCaptureUntilTheRelease) {
    Opened& o = open("capture");
    ASSERT_TRUE(waitCycles(o, 1));
    HWND h = o.window->getHWnd();
    SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(std::tuple(int(o.window->mouseCaptured), GetCapture(), GetFocus()), std::tuple(1, h, h));
    SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(std::tuple(int(o.window->mouseCaptured), GetCapture()), std::tuple(0, nullptr));
}

TEST_F(appWindow, CreateWithAnUnknownClassFails) {
    Window w;
    EXPECT_FALSE(w.Create(nullptr, "nowhere", 0, 0, 100, 100, kPopup, 0, nullptr, nullptr, "no such class"));
    EXPECT_EQ(std::tuple(w.getHWnd(), w.getGLState()), std::tuple(nullptr, app::GL_IDLE));
    EXPECT_FALSE(logs->hasPrefix("[END  ] koui::app::Window : Create()"));
    EXPECT_FALSE(w.Stop_GL()) << "no worker to stop";
}

// A placement file that once crashed every start fits the nearest work area.
TEST_F(appWindow, DamagedPlacementFitsTheWorkArea) {
    std::ofstream(work->path() / "place.ini") << "[window]\nx=-2147483648\nw=2147483647\nh=2147483647\n";
    app::WinPlacement p(work->path() / "place.ini");
    const RECT r{p.getX(), p.getY(), p.getX() + p.getWidth(), p.getY() + p.getHeight()};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), &info));
    const RECT& a = info.rcWork;
    EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(a.left, a.top, a.right, a.bottom))
        << "as big as the work area, and on it";
    EXPECT_TRUE(waitCycles(open("placed", r.left, r.top, p.getWidth(), p.getHeight()), 1));
}

}  // namespace
