#include "koui/platform/window.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "koui/platform/detail/state.h"
#include "koui/platform/input.h"
#include "koui/platform/message_queue.h"

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

HWND hwndOf(GLFWwindow* w) {
    return toHwnd(reinterpret_cast<std::uintptr_t>(glfwGetWindowUserPointer(w)));
}

bool decorated(DWORD style) {
    if (style & WS_CHILD) return false;
    if (style & WS_POPUP) return (style & WS_CAPTION) == WS_CAPTION;
    return true;  // overlapped windows always have a caption
}

// ---- geometry callbacks (window thread, inside glfwPollEvents)

void updateFrame(WindowRecord& w) {
    if (!w.glfw) return;
    int l = 0, t = 0, r = 0, b = 0;
    glfwGetWindowFrameSize(w.glfw, &l, &t, &r, &b);
    w.frameL = l, w.frameT = t, w.frameR = r, w.frameB = b;
}

bool inNormalState(const WindowRecord& w) {
    return !w.maximized && !w.iconified;
}

void onPos(GLFWwindow* gw, int x, int y) {
    HWND h = hwndOf(gw);
    {
        std::lock_guard guard(state().lock);
        auto w = findLocked(h);
        if (!w) return;
        w->clientX = x, w->clientY = y;
        if (inNormalState(*w)) w->normalRect = outerRect(*w);
    }
    enqueue(QueuedMessage{MSG{h, WM_MOVE, 0, MAKELPARAM(x, y), tickCount(), {}, 0}});
}

void onSize(GLFWwindow* gw, int width, int height) {
    HWND h = hwndOf(gw);
    WPARAM kind = SIZE_RESTORED;
    {
        std::lock_guard guard(state().lock);
        auto w = findLocked(h);
        if (!w) return;
        updateFrame(*w);
        w->clientW = width, w->clientH = height;
        if (inNormalState(*w)) w->normalRect = outerRect(*w);
        if (w->maximized) kind = SIZE_MAXIMIZED;
        w->minMaxPending = true;
    }
    enqueue(QueuedMessage{MSG{h, WM_SIZE, kind, MAKELPARAM(width, height), tickCount(), {}, 0}});
}

void onIconify(GLFWwindow* gw, int iconified) {
    HWND h = hwndOf(gw);
    LPARAM size = 0;
    {
        std::lock_guard guard(state().lock);
        auto w = findLocked(h);
        if (!w) return;
        w->iconified = iconified != 0;
        if (!iconified) size = MAKELPARAM(w->clientW, w->clientH);
    }
    enqueue(
        QueuedMessage{MSG{h, WM_SIZE, iconified ? SIZE_MINIMIZED : SIZE_RESTORED, size, tickCount(), {}, 0}});
}

void onMaximize(GLFWwindow* gw, int maximized) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hwndOf(gw));
    if (w && !w->ownMaximize) w->maximized = maximized != 0;
}

void onFocus(GLFWwindow* gw, int focused) {
    HWND h = hwndOf(gw);
    HWND previous;
    {
        std::lock_guard guard(state().lock);
        if (!findLocked(h)) return;
        previous = state().focus;
        if (focused)
            state().focus = h;
        else if (state().focus == h)
            state().focus = nullptr;
    }
    DWORD t = tickCount();
    if (focused) {
        enqueue(QueuedMessage{MSG{h, WM_ACTIVATE, WA_ACTIVE, 0, t, {}, 0}});
        enqueue(QueuedMessage{MSG{h, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0, t, {}, 0}});
    } else {
        enqueue(QueuedMessage{MSG{h, WM_KILLFOCUS, 0, 0, t, {}, 0}});
        enqueue(QueuedMessage{MSG{h, WM_ACTIVATE, WA_INACTIVE, 0, t, {}, 0}});
    }
}

// The close button: as on Win32, the system command reaches the procedure,
// whose default handling sends WM_CLOSE.
void onClose(GLFWwindow* gw) {
    glfwSetWindowShouldClose(gw, GLFW_FALSE);
    enqueue(QueuedMessage{MSG{hwndOf(gw), WM_SYSCOMMAND, SC_CLOSE, 0, tickCount(), {}, 0}});
}

GLFWwindow* anyContextWindow() {
    std::lock_guard guard(state().lock);
    for (auto& [id, w] : state().windows)
        if (w->glfw && !w->destroying) return w->glfw;
    return nullptr;
}

RECT workArea() {
    int x = 0, y = 0, w = 0, h = 0;
    if (GLFWmonitor* m = glfwGetPrimaryMonitor()) glfwGetMonitorWorkarea(m, &x, &y, &w, &h);
    if (w <= 0 || h <= 0) w = 1280, h = 1024;
    return RECT{x, y, x + w, y + h};
}

// Places the client area so that the outer rectangle becomes `outer`.
void setOuter(WindowRecord& w, const RECT& outer) {
    int cx = outer.left + w.frameL, cy = outer.top + w.frameT;
    int cw = std::max(1, static_cast<int>(outer.right - outer.left) - w.frameL - w.frameR);
    int ch = std::max(1, static_cast<int>(outer.bottom - outer.top) - w.frameT - w.frameB);
    glfwSetWindowPos(w.glfw, cx, cy);
    glfwSetWindowSize(w.glfw, cw, ch);
    std::lock_guard guard(state().lock);
    w.clientX = cx, w.clientY = cy, w.clientW = cw, w.clientH = ch;
    if (inNormalState(w)) w.normalRect = outerRect(w);
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

MINMAXINFO defaultMinMax(const WindowRecord& w) {
    RECT area = workArea();
    int fw = w.frameL + w.frameR, fh = w.frameT + w.frameB;
    MINMAXINFO mmi{};
    mmi.ptMaxSize = {area.right - area.left + fw, area.bottom - area.top + fh};
    mmi.ptMaxPosition = {area.left - w.frameL, area.top - w.frameT};
    mmi.ptMinTrackSize = {fw + 1, fh + 1};
    mmi.ptMaxTrackSize = {1 << 15, 1 << 15};
    return mmi;
}

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
    return glfwCreateWindow(std::max(1, width), std::max(1, height), a.windowName ? a.windowName : "",
                            nullptr, anyContextWindow());
}

void installGeometryCallbacks(GLFWwindow* gw) {
    glfwSetWindowPosCallback(gw, &onPos);
    glfwSetWindowSizeCallback(gw, &onSize);
    glfwSetWindowIconifyCallback(gw, &onIconify);
    glfwSetWindowMaximizeCallback(gw, &onMaximize);
    glfwSetWindowFocusCallback(gw, &onFocus);
    glfwSetWindowCloseCallback(gw, &onClose);
}

// Makes the GLFW window and its record; the window is not yet bound to any
// message (Win32 sends WM_GETMINMAXINFO before WM_NCCREATE).
std::shared_ptr<WindowRecord> makeRecord(const CreateArgs& a, const WindowClass& cls) {
    int width = a.width == CW_USEDEFAULT ? kDefaultWidth : a.width;
    int height = a.height == CW_USEDEFAULT ? kDefaultHeight : a.height;
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

    RECT outer;
    if (a.x == CW_USEDEFAULT) {
        int cx = 0, cy = 0;
        glfwGetWindowPos(gw, &cx, &cy);
        outer.left = cx - w->frameL, outer.top = cy - w->frameT;
    } else {
        outer.left = a.x, outer.top = a.y;
        if (auto p = (a.style & WS_CHILD) ? find(a.parent) : nullptr) {
            std::lock_guard guard(state().lock);
            outer.left += p->clientX, outer.top += p->clientY;
        }
    }
    outer.right = outer.left + width, outer.bottom = outer.top + height;
    setOuter(*w, outer);

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

void maximizeOwn(WindowRecord& w) {
    RECT area = workArea();
    RECT outer{area.left - w.frameL, area.top - w.frameT, area.right + w.frameR, area.bottom + w.frameB};
    {
        std::lock_guard guard(state().lock);
        w.ownMaximize = true;
        w.maximized = true;
    }
    setOuter(w, outer);
}

// Asks the window manager to maximise; without one (nothing happens within
// a short while) this layer does it.
void maximize(WindowRecord& w) {
    glfwMaximizeWindow(w.glfw);
    for (int i = 0; i < 10 && !glfwGetWindowAttrib(w.glfw, GLFW_MAXIMIZED); ++i) glfwWaitEventsTimeout(0.01);
    if (glfwGetWindowAttrib(w.glfw, GLFW_MAXIMIZED)) {
        std::lock_guard guard(state().lock);
        w.maximized = true;
        return;
    }
    maximizeOwn(w);
}

void restore(WindowRecord& w) {
    bool own;
    RECT normal;
    {
        std::lock_guard guard(state().lock);
        own = w.ownMaximize;
        normal = w.normalRect;
        w.ownMaximize = w.maximized = w.iconified = false;
    }
    if (own)
        setOuter(w, normal);
    else
        glfwRestoreWindow(w.glfw);
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
            setOuter(*w, RECT{x, y, x + width, y + height});
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

// ---------------------------------------------------------------------------

namespace koui::platform::detail {

void applyMinMaxInfo(HWND hWnd) {
    auto w = find(hWnd);
    if (!w) return;
    MINMAXINFO defaults = defaultMinMax(*w);
    MINMAXINFO mmi = defaults;
    sendToProc(hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (!IsWindow(hWnd)) return;
    int fw = w->frameL + w->frameR, fh = w->frameT + w->frameB;
    auto limit = [](LONG asked, LONG def, int frame) {
        return asked == def ? GLFW_DONT_CARE : std::max(1, static_cast<int>(asked) - frame);
    };
    int minW = limit(mmi.ptMinTrackSize.x, defaults.ptMinTrackSize.x, fw);
    int minH = limit(mmi.ptMinTrackSize.y, defaults.ptMinTrackSize.y, fh);
    int maxW = limit(mmi.ptMaxTrackSize.x, defaults.ptMaxTrackSize.x, fw);
    int maxH = limit(mmi.ptMaxTrackSize.y, defaults.ptMaxTrackSize.y, fh);
    {
        std::lock_guard guard(state().lock);
        w->minMaxPending = false;
        if (minW == w->minW && minH == w->minH && maxW == w->maxW && maxH == w->maxH) return;
        w->minW = minW, w->minH = minH, w->maxW = maxW, w->maxH = maxH;
    }
    glfwSetWindowSizeLimits(w->glfw, minW, minH, maxW, maxH);
}

void startDrag(HWND hWnd, LRESULT hit) {
    auto w = find(hWnd);
    if (!w) return;
    POINT cursor;
    GetCursorPos(&cursor);
    {
        std::lock_guard guard(state().lock);
        // The drag is measured from the press that asked for it, so that
        // pointer moves made before the press was dispatched still count.
        if (w->drag.hit != hit) w->drag.startCursor = cursor;
        w->drag.moving = true;
        w->drag.hit = hit;
        w->drag.startRect = RECT{w->clientX, w->clientY, w->clientX + w->clientW, w->clientY + w->clientH};
    }
    continueDrag(*w, cursor);
}

void continueDrag(WindowRecord& w, POINT cursor) {
    RECT r = w.drag.startRect;
    int dx = cursor.x - w.drag.startCursor.x, dy = cursor.y - w.drag.startCursor.y;
    LRESULT hit = w.drag.hit;
    if (hit == HTCAPTION) {
        r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
    } else {
        if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) r.left += dx;
        if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) r.right += dx;
        if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) r.top += dy;
        if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) r.bottom += dy;
        // Keep within the size limits, moving the dragged edge only.
        auto clampSpan = [](LONG& lo, LONG& hi, bool moveLo, int minV, int maxV) {
            int span = std::max(1, static_cast<int>(hi - lo));
            if (minV != GLFW_DONT_CARE) span = std::max(span, minV);
            if (maxV != GLFW_DONT_CARE) span = std::min(span, maxV);
            if (moveLo)
                lo = hi - span;
            else
                hi = lo + span;
        };
        clampSpan(r.left, r.right, hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT, w.minW, w.maxW);
        clampSpan(r.top, r.bottom, hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT, w.minH, w.maxH);
    }
    glfwSetWindowPos(w.glfw, r.left, r.top);
    if (hit != HTCAPTION) glfwSetWindowSize(w.glfw, r.right - r.left, r.bottom - r.top);
    std::lock_guard guard(state().lock);
    w.clientX = r.left, w.clientY = r.top;
    w.clientW = r.right - r.left, w.clientH = r.bottom - r.top;
    if (inNormalState(w)) w.normalRect = outerRect(w);
}

}  // namespace koui::platform::detail
