// WindowManager under a real X server.
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
    EXPECT_EQ(wm->getWndVector(), (std::vector<Window*>{a.window.get(), b.window.get()}));
    EXPECT_EQ(a.window->getWindowManager(), wm.get());
    EXPECT_EQ(GetWindowLongPtrA(a.window->getHWnd(), GWLP_USERDATA),
              reinterpret_cast<LONG_PTR>(a.window.get()));
    // Names are compared as exact bytes.
    EXPECT_EQ(std::tuple(wm->getWndByName("beta"), wm->getWndByName("Beta"), wm->getWndByName("gamma")),
              std::tuple(b.window.get(), nullptr, nullptr));

    wm->logWindows();
    const std::string me = "koui::app::WindowManager : ";
    EXPECT_EQ(logs->count(me + " 1 : ptr=" + hex(b.window.get()) + " name=\"beta\""), 1);
    EXPECT_EQ(logs->count(me + "2 Windows"), 1);
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
    EXPECT_EQ(std::tuple(a.window->getGLState(), a.events.all().back(), a.window->getCanvas()),
              std::tuple(app::GL_FINISHED, "gl.finish", nullptr));
    EXPECT_EQ(wm->getWndVector(), std::vector<Window*>{b.window.get()});
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
    EXPECT_FALSE(IsWindow(ha) || IsWindow(hb));
    EXPECT_EQ(wm->getWndVector().size(), 2u);
    EXPECT_EQ(std::tuple(a.window->getGLState(), b.window->getGLState()),
              std::tuple(app::GL_FINISHED, app::GL_FINISHED));
    // Two WM_DESTROYs, one pending quit.
    EXPECT_EQ(pumpQuits(1), 1);
}

// The worker calls the loader; it gets through only when it is the first in
// this process (ctest runs each test in a process of its own).
TEST_F(appWindowManager, ExtensionLoaderRunsOncePerProcess) {
    Opened& a = open("alpha");
    ASSERT_TRUE(waitCycles(a, 1));
    EXPECT_FALSE(WindowManager::util_StartOpenGLExt());
    EXPECT_EQ(logs->count("Global / [BEGIN] util_StartOpenGLExt()"), 2);
    EXPECT_LE(logs->count("Global / [END  ] util_StartOpenGLExt()"), 1);
}

TEST_F(appWindowManager, SecondManagerTakesOverTheBinding) {
    {
        WindowManager second;
        EXPECT_EQ(WindowManager::getWndMan(), &second);
        Opened& a = open("alpha");
        EXPECT_EQ(a.window->getWindowManager(), &second);
        EXPECT_EQ(std::tuple(second.getWndVector().size(), wm->getWndVector().size()), std::tuple(1u, 0u));
        ASSERT_TRUE(pumpUntil(second, [&] { return a.cycles > 0; }));
        second.Destroy(a.window.get());
    }
    // The manager that went is no longer handed out.
    EXPECT_EQ(WindowManager::getWndMan(), nullptr);
}

}  // namespace
