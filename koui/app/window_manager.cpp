// WindowManager: class registration, binding of new windows, the list of
// windows and the message pump.
#include "koui/app/window_manager.h"

#include <algorithm>
#include <string>

#include "koui/app/window.h"
#include "koui/family/appmsg.h"
#include "koui/platform/message_queue.h"
#include "koui/platform/system.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui::app {

WindowManager::WindowManager(HICON icon) {
    wndMan = this;
    // Failures of the window system itself reach the toolkit's message sink.
    koui::platform::setErrorSink([](const char* line) { ko::log::appmsg("%s", line); });
    hIcon = icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
    if (wndProcRegistered) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = &WindowManager::RegisteredWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = hIcon;
    wc.hIconSm = hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "koui::app::Window";
    RegisterClassExA(&wc);
    // Also after a failed registration: Window::Create then fails and says so.
    wndProcRegistered = true;
}

WindowManager::~WindowManager() {
    // The windows outlive the manager; they must not call back into it.
    for (Window* w : windows)
        if (w->getWindowManager() == this) w->setWindowManager(nullptr);
    if (wndMan == this) wndMan = nullptr;
}

LRESULT WindowManager::RegisteredWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (window) return window->WndProc(hWnd, msg, wParam, lParam);
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* created = cs ? static_cast<Window*>(cs->lpCreateParams) : nullptr;
        if (created) {
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
            if (wndMan)
                wndMan->attachWindow(created);
            else
                created->setWindowManager(nullptr);
            created->setHWnd(hWnd);
        }
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

Window* WindowManager::getWndByName(std::string name) {
    for (Window* w : windows)
        if (w->isName(name)) return w;
    return nullptr;
}

bool WindowManager::Destroy(Window* w) {
    if (!w) return false;
    w->logBegin("Destroy(%s)", w->getName().c_str());
    if (w->getHWnd()) DestroyWindow(w->getHWnd());
    detachWindow(w);
    return true;
}

void WindowManager::DestroyAll() {
    // A copy: destroying a window may delete it (and so shorten the list)
    // when the application deletes its windows from their callbacks.
    std::vector<Window*> all = windows;
    for (Window* w : all) {
        if (std::find(windows.begin(), windows.end(), w) == windows.end()) continue;
        w->logBegin("Destroy(%s)", w->getName().c_str());
        if (w->getHWnd()) DestroyWindow(w->getHWnd());
    }
}

bool WindowManager::attachWindow(Window* w) {
    if (!w) return false;
    w->setWindowManager(this);
    windows.push_back(w);
    return true;
}

bool WindowManager::detachWindow(Window* w) {
    if (!w) return false;
    auto it = std::find(windows.begin(), windows.end(), w);
    if (it == windows.end()) return logError("Detach(%p) - Not found", static_cast<void*>(w));
    windows.erase(it);
    // A window out of the list has no manager: it must not call back into
    // one that may be gone before it.
    if (w->getWindowManager() == this) w->setWindowManager(nullptr);
    return true;
}

void WindowManager::forget(Window* w) {
    auto it = std::find(windows.begin(), windows.end(), w);
    if (it != windows.end()) windows.erase(it);
}

void WindowManager::logWindows() {
    for (size_t i = 0; i < windows.size(); ++i)
        logMsg("%2d : ptr=%p name=\"%s\"", static_cast<int>(i), static_cast<void*>(windows[i]),
               windows[i]->getName().c_str());
    logMsg("%d Windows", static_cast<int>(windows.size()));
}

bool WindowManager::iterate() {
    MSG m{};
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            logMsg("- QUIT %s", std::string(93, '-').c_str());
            return false;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return true;
}

}  // namespace koui::app
