// Showing, moving, focus and capture of windows.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <utility>

#include "koui/platform/detail/geometry.h"
#include "koui/platform/window.h"

namespace koui::win32 {

using namespace koui::platform::detail;

BOOL ShowWindow(HWND hWnd, int cmdShow) {
    return callOnWindowThread(
        [&]() -> BOOL {
            auto w = find(hWnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            bool wasVisible = w->visible;
            bool show = cmdShow != SW_HIDE;
            switch (cmdShow) {
                case SW_HIDE:
                    glfwHideWindow(w->glfw);
                    break;
                case SW_SHOWMINIMIZED:
                case SW_MINIMIZE:
                case SW_SHOWMINNOACTIVE:
                    glfwIconifyWindow(w->glfw);
                    {
                        std::lock_guard guard(state().lock);
                        w->iconified = true;
                    }
                    break;
                case SW_SHOWMAXIMIZED:
                    glfwShowWindow(w->glfw);
                    maximize(*w);
                    break;
                case SW_SHOWNORMAL:
                case SW_RESTORE:
                    glfwShowWindow(w->glfw);
                    if (w->maximized || w->iconified) restore(*w);
                    break;
                default:
                    glfwShowWindow(w->glfw);
                    break;
            }
            {
                std::lock_guard guard(state().lock);
                w->visible = show;
            }
            if (show != wasVisible) sendToProc(hWnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
            return wasVisible ? 1 : 0;
        },
        BOOL{0});
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL) {
    return callOnWindowThread(
        [&]() -> BOOL {
            auto w = find(hWnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            setOuter(*w, boundedRect(x, y, width, height));
            return 1;
        },
        BOOL{0});
}

HWND SetFocus(HWND hWnd) {
    return callOnWindowThread(
        [&]() -> HWND {
            HWND previous = GetFocus();
            if (!hWnd) {
                std::lock_guard guard(state().lock);
                state().focus = nullptr;
                return previous;
            }
            auto w = find(hWnd);
            if (!w) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (w->visible && !glfwGetWindowAttrib(w->glfw, GLFW_FOCUSED)) glfwFocusWindow(w->glfw);
            std::lock_guard guard(state().lock);
            state().focus = hWnd;
            return previous;
        },
        HWND{nullptr});
}

HWND GetFocus() {
    std::lock_guard guard(state().lock);
    return state().focus;
}

BOOL SetForegroundWindow(HWND hWnd) {
    return callOnWindowThread(
        [&]() -> BOOL {
            auto w = find(hWnd);
            if (!w) return 0;
            if (w->visible && !glfwGetWindowAttrib(w->glfw, GLFW_FOCUSED)) glfwFocusWindow(w->glfw);
            return 1;
        },
        BOOL{0});
}

HWND SetCapture(HWND hWnd) {
    return callOnWindowThread(
        [&]() -> HWND {
            if (!IsWindow(hWnd)) return nullptr;
            HWND previous;
            {
                std::lock_guard guard(state().lock);
                previous = std::exchange(state().capture, hWnd);
            }
            if (previous && previous != hWnd)
                sendToProc(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
            return previous;
        },
        HWND{nullptr});
}

BOOL ReleaseCapture() {
    return callOnWindowThread(
        [&]() -> BOOL {
            HWND previous;
            {
                std::lock_guard guard(state().lock);
                previous = std::exchange(state().capture, nullptr);
            }
            if (previous) sendToProc(previous, WM_CAPTURECHANGED, 0, 0);
            return 1;
        },
        BOOL{0});
}

HWND GetCapture() {
    std::lock_guard guard(state().lock);
    return state().capture;
}

}  // namespace koui::win32
