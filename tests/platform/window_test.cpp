// Windows and the message queue under a real X server: creation order,
// window data, destruction, cross-thread posting, the non-blocking pump and
// its end on WM_QUIT, geometry and placement.
#include <unistd.h>

#include <atomic>

#include "koui/platform/detail/state.h"
#include "platform_test_support.h"

namespace {

using namespace koui::test;

class platformWindow : public WindowTest {};

TEST_F(platformWindow, CreationSendsMessagesInWin32OrderBeforeReturning) {
    int marker = 0;
    CREATESTRUCTA seen{};
    std::string name, cls;
    procHook() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT& r) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
        if (m == WM_CREATE) seen = *cs, name = cs->lpszName, cls = cs->lpszClass;
        if (m != WM_NCCREATE) return false;
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        r = 1;
        return true;
    };
    HWND h = make(WS_POPUP | WS_VISIBLE, 100, 80, 300, 200, &marker, "creation order");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&marker));

    std::vector<UINT> order;
    for (const auto& s : log().all()) {
        EXPECT_EQ(s.hwnd, h);
        EXPECT_EQ(s.thread, std::this_thread::get_id());
        order.push_back(s.msg);
    }
    std::vector<UINT> expected = {WM_GETMINMAXINFO, WM_NCCREATE,   WM_NCCALCSIZE, WM_CREATE,
                                  WM_GETMINMAXINFO, WM_SHOWWINDOW, WM_SIZE,       WM_MOVE};
    ASSERT_GE(order.size(), expected.size());
    EXPECT_EQ(std::vector<UINT>(order.begin(), order.begin() + static_cast<long>(expected.size())), expected);

    ASSERT_EQ(log().only(WM_CREATE).size(), 1u);
    // The create structure carries the arguments.
    EXPECT_EQ(seen.lpCreateParams, &marker);
    EXPECT_EQ((std::array<int, 4>{seen.x, seen.y, seen.cx, seen.cy}),
              (std::array<int, 4>{100, 80, 300, 200}));
    EXPECT_EQ(seen.style, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(name, "creation order");
    EXPECT_EQ(cls, kClass);
    auto size = log().only(WM_SIZE);
    ASSERT_FALSE(size.empty());
    EXPECT_EQ(size[0].lParam, MAKELPARAM(300, 200));
    EXPECT_EQ(GetWindowLongPtrA(h, GWL_STYLE), static_cast<LONG>(WS_POPUP | WS_VISIBLE));
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
    EXPECT_TRUE(log().has(WM_DESTROY));
    EXPECT_TRUE(log().has(WM_NCDESTROY));
}

TEST_F(platformWindow, UnknownClassFails) {
    EXPECT_EQ(
        CreateWindowExA(0, "no such class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &recordingProc;
    wc.lpszClassName = "KOUI-TEST-WINDOW";
    EXPECT_EQ(RegisterClassExA(&wc), 0) << "class names compare case-insensitively";
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
}

TEST_F(platformWindow, DestroyTwiceAndPostingToDestroyedWindowFail) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(PostMessageA(h, WM_USER + 5, 0, 0));
    log().clear();
    ASSERT_TRUE(DestroyWindow(h));
    auto all = log().all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].msg, WM_DESTROY);
    EXPECT_EQ(all[1].msg, WM_NCDESTROY);
    EXPECT_FALSE(IsWindow(h));

    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageA(h, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 0);
    RECT r;
    EXPECT_FALSE(GetClientRect(h, &r));
    EXPECT_EQ(GetDC(h), nullptr);
    drain();
    EXPECT_FALSE(log().has(WM_USER + 5)) << "messages posted before destruction are discarded";
}

TEST_F(platformWindow, DefWindowProcClosesAndAnswersHitTests) {
    HWND h = make(WS_POPUP | WS_VISIBLE, 100, 80, 300, 200);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DefWindowProcA(h, WM_NCHITTEST, 0, MAKELPARAM(150, 100)), HTCLIENT);
    EXPECT_EQ(DefWindowProcA(h, WM_NCHITTEST, 0, MAKELPARAM(399, 279)), HTCLIENT);
    EXPECT_EQ(DefWindowProcA(h, WM_NCHITTEST, 0, MAKELPARAM(400, 100)), HTNOWHERE);
    EXPECT_EQ(DefWindowProcA(h, WM_NCHITTEST, 0, MAKELPARAM(-5, -5)), HTNOWHERE);
    EXPECT_EQ(DefWindowProcA(h, WM_NCCREATE, 0, 0), 1);

    ASSERT_TRUE(PostMessageA(h, WM_CLOSE, 0, 0));
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(h); }));
    EXPECT_TRUE(log().has(WM_DESTROY));
}

TEST_F(platformWindow, MessagePostedFromAnotherThreadIsDispatchedOnTheWindowThread) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    std::thread poster([h] {
        for (int i = 0; i < 100; ++i) PostMessageA(h, WM_USER + 1, static_cast<WPARAM>(i), -i);
    });
    poster.join();
    ASSERT_TRUE(pumpUntil([] { return log().only(WM_USER + 1).size() == 100; }));
    auto got = log().only(WM_USER + 1);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(got[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i)) << "order kept";
        EXPECT_EQ(got[static_cast<std::size_t>(i)].lParam, -i);
        EXPECT_EQ(got[static_cast<std::size_t>(i)].thread, std::this_thread::get_id());
    }
}

TEST_F(platformWindow, PeekMessageNeverBlocks) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    // If PeekMessageA waited for input, it would return with the message that
    // this thread posts a second later.
    std::thread later([h] {
        Sleep(1000);
        PostMessageA(h, WM_USER + 2, 0, 0);
    });
    MSG m;
    BOOL got = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    while (got && m.message != WM_USER + 2) got = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    EXPECT_FALSE(got) << "PeekMessageA returned only when a message came";
    later.join();
    ASSERT_TRUE(pumpUntil([] { return log().has(WM_USER + 2); }));
}

TEST_F(platformWindow, PostingFromAnotherThreadWakesAWaitingWindowThread) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        Sleep(200);
        posted = true;
        PostMessageA(h, WM_USER + 4, 0, 0);
    });
    // Without the wake-up the last wait would never end (the test would time
    // out): nothing else arrives once the window has settled.
    int waits = 0;
    while (!log().has(WM_USER + 4) && waits < 100) {
        ASSERT_TRUE(WaitMessage());
        ++waits;
        drain();
    }
    poster.join();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(log().has(WM_USER + 4));
    std::thread([] { EXPECT_FALSE(WaitMessage()) << "only the window thread waits"; }).join();
}

TEST_F(platformWindow, PeekFiltersAndNoRemoveLeaveMessagesQueued) {
    HWND a = make(), b = make();
    ASSERT_TRUE(a && b);
    drain();
    PostMessageA(a, WM_USER + 10, 1, 0);
    PostMessageA(b, WM_USER + 11, 2, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 11u);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 11, WM_USER + 11, PM_REMOVE));
    EXPECT_EQ(m.hwnd, b);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 10, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_USER + 10, WM_USER + 11, PM_REMOVE));
}

TEST_F(platformWindow, QuitComesAfterQueuedMessagesAndEndsThePump) {
    HWND h = make();
    ASSERT_NE(h, nullptr);
    drain();
    log().clear();
    PostMessageA(h, WM_USER + 3, 1, 0);
    std::thread([] { PostQuitMessage(7); }).join();
    PostMessageA(h, WM_USER + 3, 2, 0);

    // The pump of the window manager: dispatch until WM_QUIT, which is not
    // dispatched.
    int quits = 0;
    WPARAM code = 0;
    for (int round = 0; round < 3; ++round) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                ++quits;
                code = m.wParam;
                break;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    EXPECT_EQ(quits, 1) << "WM_QUIT is handed out exactly once";
    EXPECT_EQ(code, 7u);
    auto user = log().only(WM_USER + 3);
    ASSERT_EQ(user.size(), 2u) << "both messages came before the quit";
    EXPECT_FALSE(log().has(WM_QUIT));
}

TEST_F(platformWindow, GeometryAndPlacement) {
    std::string title = "koui-geometry-" + std::to_string(::getpid());
    HWND h = make(WS_POPUP | WS_VISIBLE, 100, 80, 300, 200, nullptr, title.c_str());
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

    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(GetWindowPlacement(h, &wp));
    EXPECT_EQ(wp.length, 44u);
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));

    ShowWindow(h, SW_MAXIMIZE);
    ASSERT_TRUE(GetWindowPlacement(h, &wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(edges(wp.rcNormalPosition), normal);
    ASSERT_TRUE(GetClientRect(h, &r));
    EXPECT_GT(r.right, 300) << "maximised to the work area";
    drain();
    ASSERT_TRUE(GetWindowPlacement(h, &wp));
    EXPECT_EQ(wp.rcNormalPosition.right, 400) << "the normal rectangle survives size notifications";

    ShowWindow(h, SW_RESTORE);
    drain();
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), normal);
    ASSERT_TRUE(GetWindowPlacement(h, &wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));

    ASSERT_TRUE(MoveWindow(h, 20, 30, 150, 100, 1));
    ASSERT_TRUE(GetWindowRect(h, &r));
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{20, 30, 170, 130}));
    if (haveXdotool()) {
        // The X server agrees.
        std::string g;
        EXPECT_TRUE(pumpUntil([&] {
            g = xdoOutput("search --name '^" + title + "$' getwindowgeometry %@");
            return g.find("Position: 20,30") != std::string::npos &&
                   g.find("Geometry: 150x100") != std::string::npos;
        })) << g;
    }
}

TEST_F(platformWindow, WindowCallsFromAnotherThreadRunOnTheWindowThread) {
    HWND created = nullptr;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        created = CreateWindowExA(0, kClass, "from worker", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                  nullptr);
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    ASSERT_NE(created, nullptr);
    made_.push_back(created);
    for (const auto& s : log().all()) EXPECT_EQ(s.thread, std::this_thread::get_id());

    done = false;
    BOOL destroyed = 0;
    std::thread closer([&] {
        destroyed = DestroyWindow(created);
        done = true;
    });
    ASSERT_TRUE(pumpUntil([&] { return done.load(); }));
    closer.join();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(created));
}

TEST_F(platformWindow, CaptureAndFocusBookkeeping) {
    HWND a = make(), b = make();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(GetCapture(), a);
    log().clear();
    EXPECT_EQ(SetCapture(b), a);
    auto changed = log().only(WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].hwnd, a);
    EXPECT_EQ(changed[0].lParam, reinterpret_cast<LPARAM>(b));
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);

    SetFocus(a);
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(GetFocus(), b);
    EXPECT_TRUE(SetForegroundWindow(b));
}

TEST_F(platformWindow, MinMaxInfoBecomesSizeLimitsForDrags) {
    procHook() = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT& r) {
        if (m != WM_GETMINMAXINFO) return false;
        auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
        mmi->ptMinTrackSize = {200, 150};
        mmi->ptMaxTrackSize = {400, 300};
        r = 0;
        return true;
    };
    HWND h = make(WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
    ASSERT_NE(h, nullptr);
    // A resize drag from the bottom-right corner cannot go below the minimum.
    koui::platform::detail::startDrag(h, HTBOTTOMRIGHT);
    auto w = koui::platform::detail::find(h);
    ASSERT_TRUE(w);
    POINT start = w->drag.startCursor;
    koui::platform::detail::continueDrag(*w, POINT{start.x - 250, start.y - 250});
    RECT r;
    GetClientRect(h, &r);
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{0, 0, 200, 150}));
    koui::platform::detail::continueDrag(*w, POINT{start.x + 500, start.y + 500});
    GetClientRect(h, &r);
    EXPECT_EQ(edges(r), (std::array<LONG, 4>{0, 0, 400, 300}));
}

}  // namespace
