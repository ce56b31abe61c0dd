// koui::app::WindowManager: the application's registry of windows and the
// message pump of the window thread.
//
// Constructing it registers the window class "koui::app::Window" that every
// Window uses; the class procedure binds each new native window to its
// Window object on WM_NCCREATE (the object rides in the creation parameter)
// and forwards every later message to Window::WndProc. The manager does not
// own the windows: the list holds raw pointers, and a Window leaves the list
// when it is deleted.
//
// One-time extension loader. util_StartOpenGLExt stands where Win32 needs a
// throw-away window with a legacy context to reach the ARB context-creation
// calls; the platform layer exports those directly, and each worker's
// glewInit loads the GL entry points on its own context, so here it makes
// no window (see gl_ext_loader.cpp). Its class is still registered and
// never unregistered, so only the first call in a process gets past the
// registration; later calls write only the begin line and return false,
// which the workers ignore.
//
// Threads: everything on the window thread, except util_StartOpenGLExt,
// which the GL workers call (it touches only the class registry, which the
// platform layer lets any thread use).
#pragma once

#include <string>
#include <vector>

#include "koui/export.h"
#include "koui/host/log_obj.h"
#include "koui/platform/win32_types.h"

namespace koui::app {

class Window;

class KOUI_API WindowManager : public ko::log::Obj {
public:
    explicit WindowManager(win32::HICON icon = nullptr);
    ~WindowManager() override;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    const char* logObjName() override { return "koui::app::WindowManager"; }

    static WindowManager* getWndMan() { return wndMan; }
    std::vector<Window*>& getWndVector() { return windows; }

    Window* getWndByName(std::string name);
    bool Destroy(Window* w);
    void DestroyAll();
    void logWindows();
    // One step of the window thread's pump: dispatches every waiting
    // message and returns; false (once) when it met WM_QUIT.
    bool iterate();
    static bool util_StartOpenGLExt();

    win32::HICON hIcon = nullptr;
    std::vector<Window*> windows;

    static inline WindowManager* wndMan = nullptr;
    static inline bool wndProcRegistered = false;

private:
    friend class Window;
    static win32::LRESULT RegisteredWndProc(win32::HWND hWnd, win32::UINT msg, win32::WPARAM wParam,
                                            win32::LPARAM lParam);
    bool attachWindow(Window* w);
    bool detachWindow(Window* w);
    // Removes `w` from the list without a word; a deleted Window calls it so
    // that the list never holds a freed object.
    void forget(Window* w);
};

}  // namespace koui::app
