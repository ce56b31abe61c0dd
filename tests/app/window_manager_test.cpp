// WindowManager under a real X server: binding of new windows, the list and
// its look-ups, Destroy and DestroyAll, the pump's WM_QUIT handling and the
// one-time extension loader.
#include "app_test_support.h"

namespace {

using namespace koui;
using namespace koui::test;
using app::Window;
using app::WindowManager;

class appWindowManager : public AppTest {};

std::string hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

TEST_F(appWindowManager, BindsNewWindowsInCreationOrder) {
    EXPECT_EQ(WindowManager::getWndMan(), wm.get());
    EXPECT_TRUE(WindowManager::wndProcRegistered);
    Opened& a = open("alpha");
    Opened& b = open("beta", 260, 40);
    ASSERT_EQ(wm->getWndVector().size(), 2u);
    EXPECT_EQ(wm->getWndVector()[0], a.window.get());
    EXPECT_EQ(wm->getWndVector()[1], b.window.get());
    EXPECT_EQ(a.window->getWindowManager(), wm.get());
    EXPECT_EQ(GetWindowLongPtrA(a.window->getHWnd(), GWLP_USERDATA),
              reinterpret_cast<LONG_PTR>(a.window.get()));
    EXPECT_EQ(wm->getWndByName("beta"), b.window.get());
    EXPECT_EQ(wm->getWndByName("Beta"), nullptr);  // exact bytes
    EXPECT_EQ(wm->getWndByName("gamma"), nullptr);

    wm->logWindows();
    const std::string me = "koui::app::WindowManager : ";
    EXPECT_EQ(logs->count(me + " 0 : ptr=" + hex(a.window.get()) + " name=\"alpha\""), 1);
    EXPECT_EQ(logs->count(me + " 1 : ptr=" + hex(b.window.get()) + " name=\"beta\""), 1);
    EXPECT_EQ(logs->count(me + "2 Windows"), 1);
}

TEST_F(appWindowManager, IterateReturnsFalseOncePerQuitWithoutDispatchingIt) {
    EXPECT_TRUE(wm->iterate());
    PostQuitMessage(3);
    EXPECT_FALSE(wm->iterate());
    EXPECT_TRUE(wm->iterate());
    PostQuitMessage(0);
    PostQuitMessage(0);  // Win32 keeps one pending quit
    EXPECT_FALSE(wm->iterate());
    EXPECT_TRUE(wm->iterate());
    EXPECT_EQ(logs->count(kQuitLine), 2);
}

TEST_F(appWindowManager, DestroyStopsTheWorkerAndLeavesTheList) {
    Opened& a = open("alpha");
    Opened& b = open("beta", 260, 40);
    ASSERT_TRUE(pumpUntil(*wm, [&] { return a.cycles > 0 && b.cycles > 0; }));
    HWND ha = a.window->getHWnd();
    EXPECT_FALSE(wm->Destroy(nullptr));
    EXPECT_TRUE(wm->Destroy(a.window.get()));
    // Destroyed without WM_CLOSE: the worker still finished and freed its
    // objects before the window went.
    EXPECT_FALSE(IsWindow(ha));
    EXPECT_EQ(a.window->getGLState(), app::GL_FINISHED);
    EXPECT_EQ(a.events.all().back(), "gl.finish");
    EXPECT_EQ(a.window->getCanvas(), nullptr);
    ASSERT_EQ(wm->getWndVector().size(), 1u);
    EXPECT_EQ(wm->getWndVector()[0], b.window.get());
    EXPECT_EQ(logs->count("[BEGIN] koui::app::Window : Destroy(alpha)"), 1);
    EXPECT_EQ(pumpQuits(1), 1);  // WM_DESTROY posts the quit

    // Not in the list any more: destroyed anyway, reported, still true.
    EXPECT_TRUE(wm->Destroy(a.window.get()));
    EXPECT_EQ(
        logs->count("[ERROR] koui::app::WindowManager : Detach(" + hex(a.window.get()) + ") - Not found"), 1);
    EXPECT_EQ(b.window->getGLState(), app::GL_RUNNING);
}

TEST_F(appWindowManager, DestroyAllKeepsTheListAndDestroysEveryWindow) {
    Opened& a = open("alpha");
    Opened& b = open("beta", 260, 40);
    ASSERT_TRUE(pumpUntil(*wm, [&] { return a.cycles > 0 && b.cycles > 0; }));
    HWND ha = a.window->getHWnd(), hb = b.window->getHWnd();
    wm->DestroyAll();
    EXPECT_FALSE(IsWindow(ha));
    EXPECT_FALSE(IsWindow(hb));
    EXPECT_EQ(wm->getWndVector().size(), 2u);
    EXPECT_EQ(a.window->getGLState(), app::GL_FINISHED);
    EXPECT_EQ(b.window->getGLState(), app::GL_FINISHED);
    EXPECT_EQ(logs->count("[BEGIN] koui::app::Window : Destroy(alpha)"), 1);
    EXPECT_EQ(logs->count("[BEGIN] koui::app::Window : Destroy(beta)"), 1);
    // Two WM_DESTROYs, one pending quit.
    EXPECT_EQ(pumpQuits(1), 1);
}

TEST_F(appWindowManager, ExtensionLoaderRunsOncePerProcess) {
    Opened& a = open("alpha");
    ASSERT_TRUE(waitCycles(a, 1));
    // The worker called the loader; it got through only when it was the
    // first in this process (ctest runs each test in a process of its own).
    const std::string begin = "Global / [BEGIN] util_StartOpenGLExt()";
    const std::string end = "Global / [END  ] util_StartOpenGLExt()";
    EXPECT_EQ(logs->count(begin), 1);
    const int loaded = logs->count(end);
    EXPECT_LE(loaded, 1);
    EXPECT_FALSE(WindowManager::util_StartOpenGLExt());
    EXPECT_EQ(logs->count(begin), 2);
    EXPECT_EQ(logs->count(end), loaded);
    // A second window's worker calls it too, ignores the failure and draws.
    Opened& b = open("beta", 260, 40);
    ASSERT_TRUE(waitCycles(b, 1));
    EXPECT_EQ(logs->count(begin), 3);
    EXPECT_EQ(logs->count(end), loaded);
}

TEST_F(appWindowManager, SecondManagerTakesOverTheBinding) {
    {
        WindowManager second;
        EXPECT_EQ(WindowManager::getWndMan(), &second);
        Opened& a = open("alpha");
        EXPECT_EQ(a.window->getWindowManager(), &second);
        EXPECT_EQ(second.getWndVector().size(), 1u);
        EXPECT_TRUE(wm->getWndVector().empty());
        ASSERT_TRUE(pumpUntil(second, [&] { return a.cycles > 0; }));
        second.Destroy(a.window.get());
    }
    // The manager that went is no longer handed out.
    EXPECT_EQ(WindowManager::getWndMan(), nullptr);
}

}  // namespace
