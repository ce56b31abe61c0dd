// AppDiv on a canvas and its window hooks as the window procedure calls them.
#include "app_test_support.h"

namespace {

using namespace koui;
using namespace koui::test;
using app::AppDiv;
using app::Window;

// An application element that records its hooks and answers as told.
class TestApp : public AppDiv {
public:
    std::atomic<int> hitX{0}, hitY{0}, hitW{0}, hitH{0};
    std::atomic<LRESULT> hitAnswer{-2};
    std::atomic<bool> limitSize{false};
    std::atomic<UINT> claim{0};
    std::atomic<int> keysSeen{0};
    std::atomic<bool> focusedAfterPress{false};

    LRESULT OnNCHitTest(int x, int y, int w, int h) override {
        hitX = x, hitY = y, hitW = w, hitH = h;
        return hitAnswer;
    }
    bool OnWndGetMinMaxInfo(MINMAXINFO* info) override {
        if (!limitSize) return false;
        info->ptMinTrackSize = {120, 100};
        info->ptMaxTrackSize = {400, 300};
        return true;
    }
    bool OnWndMsg(app::e_wndmsg& m) override {
        if (claim == 0 || m.msg != claim) return false;
        m.result = 77;
        return true;
    }
    bool OnKeyEvent(e_keyevent* e) override {
        ++keysSeen;
        if (e->key == 'Q') postWindowMsg(WM_CLOSE, 0, 0);
        return AppDiv::OnKeyEvent(e);
    }
    bool OnMTEvent(e_mtevent* e) override {
        bool r = AppDiv::OnMTEvent(e);
        if (e->type == MT_LDOWN) focusedAfterPress = dHasFocus();
        return r;
    }
};

class appAppDiv : public AppTest {
protected:
    // Opens a window whose canvas gets a TestApp over the whole client area,
    // in front of the Recorder, as the window's application element. The
    // TestApp takes the focus when made; `recorderFocused` hands it back.
    void openWithApp(bool recorderFocused = false) {
        std::atomic<TestApp*>* slot = &made_;
        o = &open("app", 40, 40, 200, 150, nullptr, [slot, recorderFocused](Opened& op) {
            op.onCanvas = [slot, recorderFocused](Window* w) {
                auto* a = new TestApp();
                a->setWindow(w);
                a->Create("app", w->getCanvas(), 0, 0, 200, 150, nullptr, 0, "");
                w->setAppDiv(a);
                if (recorderFocused) w->getCanvas()->dGetChild(0)->dSetFocus();
                slot->store(a);
            };
        });
        pumpUntil(*wm, [&] { return made_.load() != nullptr; });
        app = made_.load();
        ASSERT_NE(app, nullptr);
        // Input is hit-tested against the geometry of the last cycle: a press
        // drained before the first one would find no element yet.
        ASSERT_TRUE(waitCycles(*o, 1));
        h = o->window->getHWnd();
    }
    std::atomic<TestApp*> made_{nullptr};
    TestApp* app = nullptr;
    Opened* o = nullptr;
    HWND h = nullptr;
};

// Without a window nothing is posted; the hooks leave everything to the
// window's default handling; characters need a canvas (and the focus).
TEST(appAppDivAlone, Defaults) {
    AppDiv a;
    app::e_wndmsg m{};
    MINMAXINFO info{};
    e_charevent c{'a', 0, 0};
    EXPECT_EQ(std::tuple(a.postWindowMsg(WM_CLOSE, 0, 0), a.OnWndMsg(m), a.OnNCHitTest(1, 2, 3, 4),
                         a.OnWndGetMinMaxInfo(&info), a.OnCharEvent(&c)),
              std::tuple(false, false, LRESULT(-2), false, false));
}

TEST_F(appAppDiv, KeyHandlerClosesTheWindowThroughPostWindowMsg) {
    ASSERT_NO_FATAL_FAILURE(openWithApp());
    PostMessageA(h, WM_KEYDOWN, 'Q', 0);
    EXPECT_EQ(pumpQuits(1), 1);
    EXPECT_FALSE(IsWindow(h));
    // The element went with the canvas; the window no longer names it.
    EXPECT_EQ(o->window->getAppDiv(), nullptr);
}

TEST_F(appAppDiv, PressGivesItTheFocusAndNothingPassesThrough) {
    ASSERT_NO_FATAL_FAILURE(openWithApp(true));
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    PostMessageA(h, WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(pumpUntil(*wm, [&] { return app->keysSeen > 0; }));
    EXPECT_TRUE(app->focusedAfterPress);
    // The Recorder behind it saw neither the press nor the key.
    EXPECT_TRUE(o->input.all().empty());
}

// The hit test hook gets the window-relative point and may answer; the size
// limit hook answers one when it fills the limits.
TEST_F(appAppDiv, HitTestAndSizeLimitHooks) {
    ASSERT_NO_FATAL_FAILURE(openWithApp());
    RECT r{};
    GetWindowRect(h, &r);
    app->hitAnswer = HTCAPTION;
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(r.left + 15, r.top + 9)), HTCAPTION);
    EXPECT_EQ(std::tuple(app->hitX.load(), app->hitY.load(), app->hitW.load(), app->hitH.load()),
              std::tuple(15, 9, r.right - r.left, r.bottom - r.top));
    // -2 leaves the answer to the default handling.
    app->hitAnswer = -2;
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(r.left + 15, r.top + 9)), HTCLIENT);
    EXPECT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(r.left - 50, r.top - 50)), HTNOWHERE);
    MINMAXINFO info{};
    EXPECT_EQ(SendMessageA(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMaxTrackSize.x, 0);
    app->limitSize = true;
    EXPECT_EQ(SendMessageA(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(std::tuple(info.ptMinTrackSize.x, info.ptMaxTrackSize.y), std::tuple(120, 300));
}

TEST_F(appAppDiv, ClaimedMessageIsAnsweredByTheElementAlone) {
    ASSERT_NO_FATAL_FAILURE(openWithApp());
    app->claim = WM_CLOSE;
    EXPECT_EQ(SendMessageA(h, WM_CLOSE, 0, 0), 77);
    // Not closed: the window never handled it.
    EXPECT_EQ(pumpQuits(1, 300), 0);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(o->window->getGLState(), app::GL_RUNNING);
    app->claim = 0;
    EXPECT_EQ(closeAndPump(h), 1);
}

}  // namespace
