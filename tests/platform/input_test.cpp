// Real input, injected into a window with xdotool on a bare X server (no
// window manager), arrives as the messages Win32 would deliver; the input
// state is readable from another thread; a borderless window is dragged by
// the region its procedure calls the caption.
#include <unistd.h>

#include <atomic>

#include "platform_test_support.h"

namespace {

using namespace koui::test;

constexpr int kX = 200, kY = 150, kW = 320, kH = 240;

class platformInput : public WindowTest {
protected:
    void SetUp() override {
        KOUI_REQUIRE_XDOTOOL();
        WindowTest::SetUp();
        title_ = "koui-input-" + std::to_string(::getpid());
        openWindow(kClass);
    }
    // Opens the test window of class `cls`, finds it on the X server and
    // gives it the keyboard focus.
    void openWindow(const char* cls) {
        drain();
        hwnd_ = CreateWindowExA(0, cls, title_.c_str(), WS_POPUP | WS_VISIBLE, kX, kY, kW, kH, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
        made_.push_back(hwnd_);
        ASSERT_TRUE(pumpUntil([&] {
            xid_ = xdoOutput("search --name '^" + title_ + "$'");
            return !xid_.empty() && xid_.find('\n') == std::string::npos;
        })) << "window not found by xdotool";
        ASSERT_TRUE(xdo("windowfocus --sync " + xid_));
        ASSERT_TRUE(pumpUntil([&] { return GetFocus() == hwnd_; })) << "no keyboard focus";
        drain();
        log().clear();
    }
    // Puts the pointer at a client position and waits until it is known.
    void pointAt(int x, int y) {
        ASSERT_TRUE(
            xdo("mousemove --sync --window " + xid_ + " " + std::to_string(x) + " " + std::to_string(y)));
        ASSERT_TRUE(pumpUntil([&] {
            POINT p;
            GetCursorPos(&p);
            return p.x == kX + x && p.y == kY + y;
        })) << "pointer did not arrive";
        drain();
        log().clear();
    }
    // Clears the log, runs xdotool and pumps until `count` messages `msg`
    // arrived.
    void inject(const std::string& args, UINT msg, std::size_t count = 1) {
        log().clear();
        EXPECT_TRUE(xdo(args)) << args;
        EXPECT_TRUE(pumpUntil([&] { return log().only(msg).size() >= count; })) << args;
        drain();
    }
    // The kinds of the logged messages that are among `of`, in order.
    static std::vector<UINT> kinds(std::initializer_list<UINT> of) {
        std::vector<UINT> out;
        for (const auto& s : log().all())
            if (std::find(of.begin(), of.end(), s.msg) != of.end()) out.push_back(s.msg);
        return out;
    }
    // The wParam of every logged message `msg`, in order.
    static std::vector<WPARAM> params(UINT msg) {
        std::vector<WPARAM> out;
        for (const auto& s : log().only(msg)) out.push_back(s.wParam);
        return out;
    }

    std::string title_, xid_;
    HWND hwnd_ = nullptr;
};

// Each press and its release arrive once, on the window thread, at the
// client position, with the bits of the buttons and modifiers then held. The
// two left clicks come within the double-click time: without CS_DBLCLKS the
// second is a plain press.
TEST_F(platformInput, ButtonsCarryClientPositionAndButtonBits) {
    struct Case {
        int x, y;
        const char* xdoArgs;
        UINT down, up;
        WPARAM bits;
    };
    const Case cases[] = {
        {40, 30, "click 1", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON},
        {40, 30, "click 3", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON},
        {40, 30, "click 2", WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON},
        {10, 200, "keydown shift click 1 keyup shift", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON | MK_SHIFT},
        {10, 200, "keydown ctrl click 3 keyup ctrl", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON | MK_CONTROL},
    };
    POINT at{-1, -1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdoArgs);
        if (at.x != c.x || at.y != c.y) pointAt(c.x, c.y), at = {c.x, c.y};
        inject(c.xdoArgs, c.up);
        EXPECT_EQ(params(c.down), std::vector<WPARAM>{c.bits});
        EXPECT_EQ(params(c.up), std::vector<WPARAM>{c.bits & (MK_SHIFT | MK_CONTROL)});
        EXPECT_EQ(log().only(c.down)[0].lParam, MAKELPARAM(c.x, c.y));
        EXPECT_FALSE(log().has(WM_LBUTTONDBLCLK));
    }
}

// The direction of each notch is checked with the scrolling and zooming of the application.
TEST_F(platformInput, WheelCarriesNotchesAndScreenPosition) {
    pointAt(100, 60);
    inject("click 4", WM_MOUSEWHEEL);
    const auto up = log().only(WM_MOUSEWHEEL);
    EXPECT_EQ(std::tuple(up.size(), GET_WHEEL_DELTA_WPARAM(up.at(0).wParam), up[0].lParam),
              std::tuple(1u, 120, MAKELPARAM(kX + 100, kY + 60)))
        << "wheel positions are screen positions";
}

TEST_F(platformInput, KeyMessagesCarryVirtualKeyScanCodeAndTransitionBits) {
    inject("key a", WM_KEYUP);
    EXPECT_EQ(kinds({WM_KEYDOWN, WM_CHAR, WM_KEYUP}), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
    const auto down = log().only(WM_KEYDOWN)[0], up = log().only(WM_KEYUP)[0];
    EXPECT_EQ(std::tuple(down.wParam, down.lParam, up.wParam, static_cast<DWORD>(up.lParam)),
              std::tuple(WPARAM{'A'}, LPARAM{0x001E0001}, WPARAM{'A'}, DWORD{0xC01E0001u}));
    EXPECT_EQ(params(WM_CHAR), std::vector<WPARAM>{'a'});

    inject("key shift+a", WM_CHAR);
    EXPECT_EQ(params(WM_KEYDOWN), (std::vector<WPARAM>{VK_SHIFT, 'A'}));
    EXPECT_EQ(params(WM_CHAR), std::vector<WPARAM>{'A'});

    inject("key Left Home End Delete F5", WM_KEYUP, 5);
    EXPECT_EQ(params(WM_KEYDOWN), (std::vector<WPARAM>{VK_LEFT, VK_HOME, VK_END, VK_DELETE, VK_F1 + 4}));
    EXPECT_TRUE(log().only(WM_KEYDOWN)[0].lParam & (1 << 24)) << "arrows are extended keys";
    EXPECT_FALSE(log().has(WM_CHAR));

    inject("key Return Escape BackSpace Tab ctrl+a", WM_CHAR, 5);
    EXPECT_EQ(params(WM_CHAR), (std::vector<WPARAM>{13, 27, 8, 9, 1}));
    EXPECT_EQ(params(WM_KEYDOWN),
              (std::vector<WPARAM>{VK_RETURN, VK_ESCAPE, VK_BACK, VK_TAB, VK_CONTROL, 'A'}));
}

TEST_F(platformInput, AltMakesSystemKeys) {
    // xdotool lets go of Alt first, so X comes up as a plain key.
    inject("key alt+x", WM_KEYUP);
    EXPECT_EQ(kinds({WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYDOWN, WM_KEYUP}),
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYUP}));
    EXPECT_EQ(params(WM_SYSKEYDOWN), (std::vector<WPARAM>{VK_MENU, 'X'}));
    EXPECT_TRUE(log().only(WM_SYSKEYDOWN).at(1).lParam & (1 << 29)) << "context code: Alt is down";
    EXPECT_EQ(params(WM_SYSKEYUP), std::vector<WPARAM>{VK_MENU});
    EXPECT_FALSE(log().has(WM_CHAR)) << "GLFW gives no text while Alt is held";
}

// Characters arrive as whole code points, beyond Latin-1 too. The
// characters beyond ASCII need a layout that has them: the US international
// one types 'é' with AltGr+e and '€' with AltGr+5.
TEST_F(platformInput, TypedTextArrivesAsCodePoints) {
    inject("type --delay 30 'Hi, 5!'", WM_CHAR, 6);
    EXPECT_EQ(params(WM_CHAR), (std::vector<WPARAM>{'H', 'i', ',', ' ', '5', '!'}));

    if (std::system("command -v setxkbmap >/dev/null 2>&1") != 0) GTEST_SKIP() << "setxkbmap not found";
    ASSERT_EQ(std::system("setxkbmap -layout us -variant intl"), 0);
    struct Restore {
        ~Restore() { (void)std::system("setxkbmap -layout us"); }
    } restore;
    inject("type --delay 30 '\xc3\xa9\xe2\x82\xac\xc3\xbc'", WM_CHAR, 3);
    EXPECT_EQ(params(WM_CHAR), (std::vector<WPARAM>{0xE9, 0x20AC, 0xFC}));
    EXPECT_FALSE(log().has(WM_SYSKEYDOWN)) << "AltGr does not make system keys";
    EXPECT_FALSE(log().has(WM_SYSCHAR));
}

// A chord typed before the queue is read: the procedure handling its
// key-down still sees Ctrl held, as the messages read so far have it.
TEST_F(platformInput, KeyStateFollowsTheMessagesRead) {
    std::vector<bool> ctrlWithA;
    procHook() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_KEYDOWN && w == 'A') ctrlWithA.push_back(GetKeyState(VK_CONTROL) < 0);
        return false;
    };
    ASSERT_TRUE(xdo("key ctrl+a"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the whole chord waits to be read
    ASSERT_TRUE(pumpUntil([&] { return !ctrlWithA.empty(); }));
    drain();
    EXPECT_EQ(ctrlWithA, std::vector<bool>{true});
    EXPECT_FALSE(GetKeyState(VK_CONTROL) < 0);
}

// Each step's state must become visible to a reader on another thread.
TEST_F(platformInput, KeyStateAndCursorAreReadableFromAnotherThread) {
    const auto cursorAt = [](int x, int y) {
        POINT p;
        return GetCursorPos(&p) && p.x == x && p.y == y;
    };
    const std::pair<std::string, std::function<bool()>> steps[] = {
        {"keydown shift",
         [] {
             return (GetKeyState(VK_SHIFT) & 0x80) && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_LSHIFT) < 0;
         }},
        {"keyup shift", [] { return !(GetKeyState(VK_SHIFT) & 0x80); }},
        {"mousemove --sync " + std::to_string(kX + 70) + " " + std::to_string(kY + 50),
         [&] {
             POINT c{kX + 70, kY + 50};
             return cursorAt(kX + 70, kY + 50) && ScreenToClient(hwnd_, &c) && c.x == 70 && c.y == 50;
         }},
        {"mousemove --sync 5 6", [&] { return cursorAt(5, 6); }},  // outside the window
    };
    std::atomic<int> phase{-1}, seen{-1};
    std::thread reader([&] {
        for (int i; (i = phase) < 4; std::this_thread::yield())
            if (i >= 0 && steps[i].second()) seen = i;
    });
    for (int i = 0; i < 4; ++i) {
        phase = i;
        EXPECT_TRUE(xdo(steps[i].first));
        EXPECT_TRUE(pumpUntil([&] { return seen == i; })) << steps[i].first;
    }
    phase = 4;
    reader.join();
}

TEST_F(platformInput, BorderlessWindowIsDraggedByItsCaptionRegion) {
    procHook() = [](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
        if (m != WM_NCHITTEST) return false;
        r = DefWindowProcA(h, m, w, l);
        POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ScreenToClient(h, &p);
        if (r == HTCLIENT && p.y < 30) r = HTCAPTION;
        return true;
    };
    pointAt(50, 10);
    inject("mousedown 1", WM_NCLBUTTONDOWN);
    EXPECT_EQ(params(WM_NCLBUTTONDOWN), std::vector<WPARAM>{HTCAPTION});
    EXPECT_EQ(log().only(WM_NCLBUTTONDOWN).at(0).lParam, MAKELPARAM(kX + 50, kY + 10))
        << "non-client messages carry screen positions";

    EXPECT_TRUE(xdo("mousemove --sync " + std::to_string(kX + 150) + " " + std::to_string(kY + 110)));
    RECT r{};
    EXPECT_TRUE(pumpUntil([&] {
        GetWindowRect(hwnd_, &r);
        return r.left == kX + 100 && r.top == kY + 100;
    })) << "window at "
        << r.left << "," << r.top;
    EXPECT_TRUE(xdo("mouseup 1"));
    std::string geometry;
    const std::string wanted = "Position: " + std::to_string(kX + 100) + "," + std::to_string(kY + 100);
    EXPECT_TRUE(pumpUntil([&] {
        geometry = xdoOutput("getwindowgeometry " + xid_);
        return geometry.find(wanted) != std::string::npos;
    })) << geometry;
    drain();
    EXPECT_EQ(kinds({WM_LBUTTONDOWN, WM_LBUTTONUP}), std::vector<UINT>{}) << "the drag swallows the release";
    GetWindowRect(hwnd_, &r);
    EXPECT_EQ(r.right - r.left, kW);
}

TEST_F(platformInput, DoubleClicksNeedTheClassStyle) {
    registerTestClass("koui-test-dblclk", CS_DBLCLKS);
    DestroyWindow(hwnd_);
    openWindow("koui-test-dblclk");
    pointAt(20, 20);
    inject("click --repeat 3 --delay 60 1", WM_LBUTTONUP, 3);
    EXPECT_EQ(kinds({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN,
                                 WM_LBUTTONUP}));
}

}  // namespace
