// Windows and the message queue under a real X server: creation order,
// window data, destruction, cross-thread posting, the non-blocking pump and
// its end on WM_QUIT, geometry and placement.
#include <atomic>
#include <cstdint>

#include "koui/platform/detail/state.h"
#include "platform_test_support.h"

namespace {

using namespace koui::test;

class platformWindow : public WindowTest {};

TEST_F(platformWindow, CreationSendsMessagesInWin32OrderBeforeReturning) {
    int marker = 0;
    std::tuple<LPVOID, int, int, int, int, LONG, std::string, std::string> created;
    procHook() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT& r) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
        if (m == WM_CREATE)
            created = {cs->lpCreateParams, cs->x,        cs->y,        cs->cx, cs->cy,
                       cs->style,          cs->lpszName, cs->lpszClass};
        if (m != WM_NCCREATE) return false;
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        r = 1;
        return true;
    };
    HWND h = make(WS_POPUP | WS_VISIBLE, 100, 80, 300, 200, &marker, "creation order");
    ASSERT_NE(h, nullptr);
    for (const auto& s : log().all())
        EXPECT_EQ(std::tuple(s.hwnd, s.thread), std::tuple(h, std::this_thread::get_id()));
    std::vector<UINT> order = log().msgs();
    const std::vector<UINT> expected = {WM_GETMINMAXINFO, WM_NCCREATE,   WM_NCCALCSIZE, WM_CREATE,
                                        WM_GETMINMAXINFO, WM_SHOWWINDOW, WM_SIZE,       WM_MOVE};
    order.resize(std::min(order.size(), expected.size()));
    EXPECT_EQ(order, expected);
    EXPECT_EQ(created, std::tuple(static_cast<LPVOID>(&marker), 100, 80, 300, 200,
                                  static_cast<LONG>(WS_POPUP | WS_VISIBLE), std::string("creation order"),
                                  std::string(kClass)));
    EXPECT_EQ(log().only(WM_SIZE).at(0).lParam, MAKELPARAM(300, 200));
}

TEST_F(platformWindow, RefusedCreationDestroysTheWindow) {
    HWND during = nullptr;
    procHook() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (m != WM_CREATE) return false;
        during = h;
        r = -1;
        return true;
    };
    EXPECT_EQ(make(), nullptr);
    ASSERT_NE(during, nullptr);
    EXPECT_FALSE(IsWindow(during));
    EXPECT_TRUE(log().has(WM_DESTROY) && log().has(WM_NCDESTROY));
}

TEST_F(platformWindow, UnknownClassFailsAndClassNamesIgnoreCase) {
    EXPECT_EQ(
        CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &recordingProc;
    wc.lpszClassName = "KOUI-TEST-WINDOW";
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
}

TEST_F(platformWindow, DestroyTwiceAndPostingToDestroyedWindowFail) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PostMessageA(h, WM_USER + 5, 0, 0));
    log().clear();
    ASSERT_TRUE(DestroyWindow(h));
    EXPECT_EQ(log().msgs(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));

    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageA(h, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    drain();
    EXPECT_FALSE(log().has(WM_USER + 5)) << "messages posted before destruction are discarded";
}

TEST_F(platformWindow, DefWindowProcClosesAndAnswersHitTests) {
    HWND h = make(WS_POPUP | WS_VISIBLE, 100, 80, 300, 200);
    ASSERT_NE(h, nullptr);
    const auto hit = [h](int x, int y) { return DefWindowProcA(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(std::tuple(hit(100, 80), hit(399, 279), hit(400, 100), hit(99, 279)),
              std::tuple(HTCLIENT, HTCLIENT, HTNOWHERE, HTNOWHERE));
    ASSERT_TRUE(PostMessageA(h, WM_CLOSE, 0, 0));
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(h); }));
    EXPECT_TRUE(log().has(WM_DESTROY));
}

TEST_F(platformWindow, MessagePostedFromAnotherThreadIsDispatchedOnTheWindowThread) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    std::thread([h] {
        for (int i = 0; i < 100; ++i) PostMessageA(h, WM_USER + 1, static_cast<WPARAM>(i), -i);
    }).join();
    ASSERT_TRUE(pumpUntil([] { return log().only(WM_USER + 1).size() == 100; }));
    WPARAM i = 0;  // in order, on this thread
    for (const Seen& s : log().only(WM_USER + 1)) {
        EXPECT_EQ(std::tuple(s.wParam, s.lParam, s.thread),
                  std::tuple(i, -LPARAM(i), std::this_thread::get_id()));
        ++i;
    }
}

// Copy and paste from another thread, as an edit field on a GL thread does:
// the copy returns before the window thread pumps, the paste waits for the
// pump and sees the copy made before it.
TEST_F(platformWindow, ClipboardTextFromAnotherThread) {
    ASSERT_NE(make(), nullptr);
    std::atomic<int> step{0};
    BOOL set = 0, got = 0;
    std::string pasted;
    std::thread worker([&] {
        set = SetClipboardText(
            "Gr\xC3\xBC\xC3\x9F"
            "e");
        step = 1;
        got = GetClipboardText(pasted, 5000);
        step = 2;
    });
    for (int i = 0; i < 500 && step == 0; ++i) Sleep(2);
    EXPECT_EQ(step, 1) << "the copy waited for the window thread";
    EXPECT_TRUE(pumpUntil([&] { return step == 2; }));
    worker.join();
    EXPECT_EQ(std::tuple(set, got, pasted), std::tuple(1, 1,
                                                       std::string("Gr\xC3\xBC\xC3\x9F"
                                                                   "e")));
}

// PeekMessageA returns at once with an empty queue; WaitMessage sleeps until
// a message posted from another thread wakes it. Without the wake-up the
// last wait would never end: nothing else arrives once the window settled.
TEST_F(platformWindow, PeekNeverBlocksAndPostingWakesAWaitingWindowThread) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        Sleep(300);
        posted = true;
        PostMessageA(h, WM_USER + 4, 0, 0);
    });
    MSG m;
    BOOL got = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    while (got && m.message != WM_USER + 4) got = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    EXPECT_FALSE(got) << "PeekMessageA returned only when a message came";
    EXPECT_FALSE(posted);
    for (int waits = 0; !log().has(WM_USER + 4) && waits < 100; ++waits) {
        ASSERT_TRUE(WaitMessage());
        drain();
    }
    poster.join();
    EXPECT_TRUE(log().has(WM_USER + 4));
    std::thread([] { EXPECT_FALSE(WaitMessage()) << "only the window thread waits"; }).join();
}

// The pump of the window manager dispatches until WM_QUIT, which is handed
// out once, after the messages queued before it, and never dispatched.
TEST_F(platformWindow, QuitComesAfterQueuedMessagesAndEndsThePump) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    log().clear();
    PostMessageA(h, WM_USER + 3, 1, 0);
    std::thread([] { PostQuitMessage(7); }).join();
    PostMessageA(h, WM_USER + 3, 2, 0);
    std::vector<WPARAM> quits;
    for (int round = 0; round < 3; ++round) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quits.push_back(m.wParam);
                break;
            }
            DispatchMessageA(&m);
        }
    }
    EXPECT_EQ(quits, std::vector<WPARAM>{7});
    EXPECT_EQ(log().only(WM_USER + 3).size(), 2u) << "both messages came before the quit";
    EXPECT_FALSE(log().has(WM_QUIT));
}

// Moving and resizing, and what the X server makes of it, are checked by the
// placement tests of the application layer.
TEST_F(platformWindow, GeometryAndPlacement) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    RECT r;
    const std::array<LONG, 4> normal{100, 80, 400, 280};
    ASSERT_TRUE(GetClientRect(h, &r));
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{0, 0, 300, 200}));
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), normal);
    POINT p{110, 95};
    ASSERT_TRUE(ScreenToClient(h, &p));
    EXPECT_EQ((std::array<LONG, 2>{p.x, p.y}), (std::array<LONG, 2>{10, 15}));

    const auto placement = [h] {
        WINDOWPLACEMENT wp{};
        EXPECT_TRUE(GetWindowPlacement(h, &wp));
        return std::tuple(wp.length, wp.showCmd, edges(wp.rcNormalPosition));
    };
    EXPECT_EQ(placement(), std::tuple(44u, UINT(SW_SHOWNORMAL), normal));
    // The normal rectangle survives the size notifications of maximising.
    ShowWindow(h, SW_MAXIMIZE);
    drain();
    EXPECT_EQ(placement(), std::tuple(44u, UINT(SW_SHOWMAXIMIZED), normal));
    ASSERT_TRUE(GetClientRect(h, &r));
    EXPECT_GT(r.right, 300) << "maximised to the work area";
    ShowWindow(h, SW_RESTORE);
    drain();
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), normal);
    EXPECT_EQ(std::get<1>(placement()), UINT(SW_SHOWNORMAL));
}

// Sizes and positions beyond what X holds are cut down instead of reaching
// the server (where they crash) or costing gigabytes of buffers.
TEST_F(platformWindow, HugeRequestsAreBoundedAndMonitorsAreFound) {
    HWND h = make(WS_POPUP, INT32_MIN + 1, 0, INT32_MAX, INT32_MAX);  // INT32_MIN: CW_USEDEFAULT
    ASSERT_NE(h, nullptr);
    RECT r;
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{-16384, 0, -8192, 8192}));
    ASSERT_TRUE(MoveWindow(h, INT32_MAX, 5, -3, INT32_MAX, 0));
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{16384, 5, 16385, 8197}));

    const RECT far{100000, 100000, 100001, 100001};
    EXPECT_EQ(MonitorFromRect(&far, MONITOR_DEFAULTTONULL), nullptr);
    HMONITOR nearest = MonitorFromRect(&far, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoA(nearest, &info));
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    EXPECT_TRUE(w.left >= m.left && w.top >= m.top && w.right <= m.right && w.bottom <= m.bottom &&
                w.right > w.left);
    const RECT inside{m.left + 1, m.top + 1, m.left + 2, m.top + 2};
    EXPECT_EQ(MonitorFromRect(&inside, MONITOR_DEFAULTTONULL), nearest);
    EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(std::uintptr_t{999}), &info));
}

// Taking and releasing the capture and the focus are checked with the
// window's presses; here what the calls return and who is told.
TEST_F(platformWindow, CaptureAndFocusBookkeeping) {
    HWND a = make(), b = make();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(SetCapture(a), nullptr);
    log().clear();
    EXPECT_EQ(SetCapture(b), a);
    const auto changed = log().only(WM_CAPTURECHANGED);
    EXPECT_EQ(std::tuple(changed.size(), changed.at(0).hwnd, changed[0].lParam),
              std::tuple(1u, a, reinterpret_cast<LPARAM>(b)));
    SetFocus(a);
    EXPECT_EQ(SetFocus(b), a);
}

TEST_F(platformWindow, MinMaxInfoBecomesSizeLimitsForDrags) {
    procHook() = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
        if (m != WM_GETMINMAXINFO) return false;
        auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
        mmi->ptMinTrackSize = {200, 150};
        mmi->ptMaxTrackSize = {400, 300};
        return true;
    };
    HWND h = make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
    ASSERT_NE(h, nullptr);
    // A resize drag from the bottom-right corner stays within the limits.
    namespace detail = koui::platform::detail;
    detail::startDrag(h, HTBOTTOMRIGHT);
    auto w = detail::find(h);
    ASSERT_TRUE(w);
    const POINT start = w->drag.startCursor;
    RECT r;
    for (auto [d, x, y] : {std::tuple{-250, 200, 150}, std::tuple{500, 400, 300}}) {
        detail::continueDrag(*w, POINT{start.x + d, start.y + d});
        GetClientRect(h, &r);
        EXPECT_EQ(edges(r), (std::array<LONG, 4>{0, 0, x, y})) << d;
    }
}

}  // namespace
