#include "koui/platform/window.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>
#include <vector>

#include "koui/platform/detail/geometry.h"
#include "koui/platform/input.h"
#include "koui/platform/message_queue.h"

namespace koui::win32 {

using namespace koui::platform::detail;

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

std::string lowerName(LPCSTR name) {
    std::string s(name);
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Class names may also be atoms (small integers passed as pointers).
bool isAtom(LPCSTR name) {
    return reinterpret_cast<std::uintptr_t>(name) <= 0xffff;
}

ATOM registerClass(UINT style, WNDPROC proc, LPCSTR name) {
    if (!proc || !name || isAtom(name) || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto& s = state();
    std::lock_guard guard(s.lock);
    auto key = lowerName(name);
    if (s.classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    s.classes[key] = WindowClass{name, style, proc};
    // An atom only has to be non-zero and distinct per class.
    return static_cast<ATOM>(0xC000 + (s.classes.size() & 0x3fff));
}

GLFWwindow* anyContextWindow() {
    std::lock_guard guard(state().lock);
    for (auto& [id, w] : state().windows)
        if (w->glfw && !w->destroying) return w->glfw;
    return nullptr;
}

struct CreateArgs {
    DWORD exStyle;
    LPCSTR className;
    LPCSTR windowName;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    LPVOID param;
};

void sendCreationSize(HWND h) {
    auto w = find(h);
    if (!w) return;
    LPARAM size, pos;
    {
        std::lock_guard guard(state().lock);
        size = MAKELPARAM(w->clientW, w->clientH);
        pos = MAKELPARAM(w->clientX, w->clientY);
    }
    sendToProc(h, WM_SIZE, SIZE_RESTORED, size);
    if (IsWindow(h)) sendToProc(h, WM_MOVE, 0, pos);
}

GLFWwindow* makeGlfwWindow(const CreateArgs& a, int width, int height) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DECORATED, decorated(a.style) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, (a.style & WS_THICKFRAME) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_FLOATING, (a.exStyle & WS_EX_TOPMOST) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 8);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_ANY_PROFILE);
    return glfwCreateWindow(width, height, a.windowName ? a.windowName : "", nullptr, anyContextWindow());
}

// Makes the GLFW window and its record; the window is not yet bound to any
// message (Win32 sends WM_GETMINMAXINFO before WM_NCCREATE).
std::shared_ptr<WindowRecord> makeRecord(const CreateArgs& a, const WindowClass& cls) {
    const RECT asked = boundedRect(0, 0, a.width == CW_USEDEFAULT ? kDefaultWidth : a.width,
                                   a.height == CW_USEDEFAULT ? kDefaultHeight : a.height);
    const int width = asked.right, height = asked.bottom;
    GLFWwindow* gw = makeGlfwWindow(a, width, height);
    if (!gw) return nullptr;

    auto w = std::make_shared<WindowRecord>();
    w->glfw = gw;
    w->cls = cls;
    w->style = a.style;
    w->exStyle = a.exStyle;
    w->parent = a.parent;
    w->title = a.windowName ? a.windowName : "";
    updateFrame(*w);
    recordFramebuffer(*w);

    std::int64_t left = a.x, top = a.y;
    if (a.x == CW_USEDEFAULT) {
        int cx = 0, cy = 0;
        glfwGetWindowPos(gw, &cx, &cy);
        left = cx - w->frameL, top = cy - w->frameT;
    } else if (auto p = (a.style & WS_CHILD) ? find(a.parent) : nullptr) {
        std::lock_guard guard(state().lock);
        left += p->clientX, top += p->clientY;
    }
    setOuter(*w, boundedRect(left, top, width, height));

    std::lock_guard guard(state().lock);
    w->id = state().nextId++;
    state().windows[w->id] = w;
    glfwSetWindowUserPointer(gw, reinterpret_cast<void*>(w->id));
    installGeometryCallbacks(gw);
    installInputCallbacks(gw);
    return w;
}

HWND createOnWindowThread(const CreateArgs& a) {
    if (!ensureGlfw()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    WindowClass cls;
    {
        std::lock_guard guard(state().lock);
        auto it = (a.className && !isAtom(a.className)) ? state().classes.find(lowerName(a.className))
                                                        : state().classes.end();
        if (it == state().classes.end()) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        cls = it->second;
    }
    auto w = makeRecord(a, cls);
    if (!w) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HWND h = toHwnd(w->id);

    MINMAXINFO mmi = defaultMinMax(*w);
    sendToProc(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));

    RECT outer = outerRect(*w);
    CREATESTRUCTA cs{a.param,
                     a.instance,
                     a.menu,
                     a.parent,
                     outer.bottom - outer.top,
                     outer.right - outer.left,
                     outer.top,
                     outer.left,
                     static_cast<LONG>(a.style),
                     a.windowName,
                     a.className,
                     a.exStyle};
    if (!IsWindow(h) || sendToProc(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
        DestroyWindow(h);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IsWindow(h)) sendToProc(h, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&outer));
    if (!IsWindow(h) || sendToProc(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(h);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsWindow(h)) return nullptr;
    applyMinMaxInfo(h);
    if (a.style & WS_VISIBLE) ShowWindow(h, (a.style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    sendCreationSize(h);
    return IsWindow(h) ? h : nullptr;
}

void forgetWindow(HWND h, const std::shared_ptr<WindowRecord>& w) {
    auto& s = state();
    std::lock_guard guard(s.lock);
    w->destroying = true;
    s.windows.erase(w->id);
    // Posted messages die with their window.
    std::erase_if(s.queue, [&](const QueuedMessage& m) { return m.msg.hwnd == h; });
    if (s.focus == h) s.focus = nullptr;
}

LRESULT defaultHitTest(HWND h, LPARAM lParam) {
    auto w = find(h);
    if (!w) return HTNOWHERE;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    std::lock_guard guard(state().lock);
    RECT o = outerRect(*w);
    if (p.x < o.left || p.x >= o.right || p.y < o.top || p.y >= o.bottom) return HTNOWHERE;
    if (p.x >= w->clientX && p.x < w->clientX + w->clientW && p.y >= w->clientY &&
        p.y < w->clientY + w->clientH)
        return HTCLIENT;
    if (decorated(w->style) && p.y < w->clientY && p.x >= w->clientX && p.x < w->clientX + w->clientW)
        return HTCAPTION;
    return HTBORDER;
}

}  // namespace

// ---------------------------------------------------------------------------

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(wc->style, wc->lpfnWndProc, wc->lpszClassName);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return registerClass(wc->style, wc->lpfnWndProc, wc->lpszClassName);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    if (!className || isAtom(className)) return 0;
    std::lock_guard guard(state().lock);
    if (state().classes.erase(lowerName(className)) == 0) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return 0;
    }
    return 1;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    CreateArgs a{exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param};
    return callOnWindowThread([&] { return createOnWindowThread(a); }, HWND{nullptr});
}

BOOL DestroyWindow(HWND hWnd) {
    return callOnWindowThread(
        [&]() -> BOOL {
            auto w = find(hWnd);
            {
                std::lock_guard guard(state().lock);
                if (!w || w->destroyStarted) {
                    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                    return 0;
                }
                w->destroyStarted = true;
            }
            if (GetCapture() == hWnd) ReleaseCapture();
            sendToProc(hWnd, WM_DESTROY, 0, 0);
            // Child windows go with their parent, after it heard WM_DESTROY.
            std::vector<HWND> children;
            {
                std::lock_guard guard(state().lock);
                for (auto& [id, c] : state().windows)
                    if (c->parent == hWnd && (c->style & WS_CHILD)) children.push_back(toHwnd(id));
            }
            for (HWND c : children) DestroyWindow(c);
            sendToProc(hWnd, WM_NCDESTROY, 0, 0);
            inputWindowGone(hWnd);
            forgetWindow(hWnd, w);
            releaseGlfwWindow(w);
            return 1;
        },
        BOOL{0});
}

BOOL IsWindow(HWND hWnd) {
    return find(hWnd) ? 1 : 0;
}

LRESULT DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE:
            return 1;
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        case WM_NCHITTEST:
            return defaultHitTest(hWnd, lParam);
        case WM_NCLBUTTONDOWN:
            if (static_cast<LRESULT>(wParam) == HTCAPTION ||
                (static_cast<LRESULT>(wParam) >= HTLEFT && static_cast<LRESULT>(wParam) <= HTBOTTOMRIGHT))
                startDrag(hWnd, static_cast<LRESULT>(wParam));
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    SendMessageA(hWnd, WM_CLOSE, 0, 0);
                    break;
                case SC_MINIMIZE:
                    ShowWindow(hWnd, SW_MINIMIZE);
                    break;
                case SC_MAXIMIZE:
                    ShowWindow(hWnd, SW_MAXIMIZE);
                    break;
                case SC_RESTORE:
                    ShowWindow(hWnd, SW_RESTORE);
                    break;
                default:
                    break;
            }
            return 0;
        default:
            return 0;
    }
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int index) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
        case GWLP_USERDATA:
            return w->userData;
        case GWL_STYLE:
            return static_cast<LONG>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(w->exStyle);
        case GWLP_WNDPROC:
            return w->wndProcOverride ? w->wndProcOverride : reinterpret_cast<LONG_PTR>(w->cls.proc);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR value) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
        case GWLP_USERDATA:
            previous = std::exchange(w->userData, value);
            break;
        case GWL_STYLE:
            previous = static_cast<LONG>(std::exchange(w->style, static_cast<DWORD>(value)));
            break;
        case GWL_EXSTYLE:
            previous = static_cast<LONG>(std::exchange(w->exStyle, static_cast<DWORD>(value)));
            break;
        case GWLP_WNDPROC:
            previous = w->wndProcOverride ? w->wndProcOverride : reinterpret_cast<LONG_PTR>(w->cls.proc);
            w->wndProcOverride = value;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
    SetLastError(0);
    return previous;
}

HDC GetDC(HWND hWnd) {
    return IsWindow(hWnd) ? reinterpret_cast<HDC>(hWnd) : nullptr;
}
int ReleaseDC(HWND hWnd, HDC dc) {
    return IsWindow(hWnd) && reinterpret_cast<HWND>(dc) == hWnd ? 1 : 0;
}
HWND WindowFromDC(HDC dc) {
    HWND h = reinterpret_cast<HWND>(dc);
    return IsWindow(h) ? h : nullptr;
}

BOOL GetClientRect(HWND hWnd, RECT* rect) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    *rect = RECT{0, 0, w->clientW, w->clientH};
    return 1;
}

BOOL GetWindowRect(HWND hWnd, RECT* rect) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    *rect = outerRect(*w);
    return 1;
}

BOOL GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* wp) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w || !wp) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    wp->length = sizeof(WINDOWPLACEMENT);
    wp->flags = 0;
    wp->showCmd = w->iconified ? SW_SHOWMINIMIZED : w->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp->ptMinPosition = {-1, -1};
    wp->ptMaxPosition = {-1, -1};
    wp->rcNormalPosition = w->normalRect;
    return 1;
}

}  // namespace koui::win32
