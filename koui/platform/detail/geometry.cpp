// Geometry of windows: the GLFW callbacks that keep each window's recorded
// rectangle and state current, maximise and restore, the size limits from
// WM_GETMINMAXINFO, and the move/size drags that non-client presses start.
#include "koui/platform/detail/geometry.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdint>

#include "koui/platform/input.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui::platform::detail {

HWND hwndOf(GLFWwindow* w) {
    return toHwnd(reinterpret_cast<std::uintptr_t>(glfwGetWindowUserPointer(w)));
}

bool decorated(DWORD style) {
    if (style & WS_CHILD) return false;
    if (style & WS_POPUP) return (style & WS_CAPTION) == WS_CAPTION;
    return true;  // overlapped windows always have a caption
}

void updateFrame(WindowRecord& w) {
    if (!w.glfw) return;
    int l = 0, t = 0, r = 0, b = 0;
    glfwGetWindowFrameSize(w.glfw, &l, &t, &r, &b);
    w.frameL = l, w.frameT = t, w.frameR = r, w.frameB = b;
}

bool inNormalState(const WindowRecord& w) {
    return !w.maximized && !w.iconified;
}

RECT boundedRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
    auto coord = [](std::int64_t v) {
        return static_cast<LONG>(std::clamp<std::int64_t>(v, -kMaxWindowCoordinate, kMaxWindowCoordinate));
    };
    auto side = [](std::int64_t v) {
        return static_cast<LONG>(std::clamp<std::int64_t>(v, 1, kMaxWindowSide));
    };
    LONG left = coord(x), top = coord(y);
    return RECT{left, top, left + side(width), top + side(height)};
}

RECT workArea() {
    int x = 0, y = 0, w = 0, h = 0;
    if (GLFWmonitor* m = glfwGetPrimaryMonitor()) glfwGetMonitorWorkarea(m, &x, &y, &w, &h);
    if (w <= 0 || h <= 0) w = 1280, h = 1024;
    return RECT{x, y, x + w, y + h};
}

// Places the client area so that the outer rectangle becomes `outer`.
void setOuter(WindowRecord& w, const RECT& asked) {
    const RECT outer = boundedRect(asked.left, asked.top, std::int64_t{asked.right} - asked.left,
                                   std::int64_t{asked.bottom} - asked.top);
    int cx = outer.left + w.frameL, cy = outer.top + w.frameT;
    int cw = std::max(1, static_cast<int>(outer.right - outer.left) - w.frameL - w.frameR);
    int ch = std::max(1, static_cast<int>(outer.bottom - outer.top) - w.frameT - w.frameB);
    glfwSetWindowPos(w.glfw, cx, cy);
    glfwSetWindowSize(w.glfw, cw, ch);
    std::lock_guard guard(state().lock);
    w.clientX = cx, w.clientY = cy, w.clientW = cw, w.clientH = ch;
    if (inNormalState(w)) w.normalRect = outerRect(w);
}

MINMAXINFO defaultMinMax(const WindowRecord& w) {
    RECT area = workArea();
    int fw = w.frameL + w.frameR, fh = w.frameT + w.frameB;
    MINMAXINFO mmi{};
    mmi.ptMaxSize = {area.right - area.left + fw, area.bottom - area.top + fh};
    mmi.ptMaxPosition = {area.left - w.frameL, area.top - w.frameT};
    mmi.ptMinTrackSize = {fw + 1, fh + 1};
    mmi.ptMaxTrackSize = {kMaxWindowSide, kMaxWindowSide};
    return mmi;
}

namespace {

// ---- callbacks (window thread, inside glfwPollEvents)

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
    // Asked before taking the lock: it is a round trip to the X server.
    int l = 0, t = 0, r = 0, b = 0;
    glfwGetWindowFrameSize(gw, &l, &t, &r, &b);
    {
        std::lock_guard guard(state().lock);
        auto w = findLocked(h);
        if (!w) return;
        w->frameL = l, w->frameT = t, w->frameR = r, w->frameB = b;
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

// The window system lost the content (uncovered, restored): the window is
// told to draw it again.
void onRefresh(GLFWwindow* gw) {
    enqueue(QueuedMessage{MSG{hwndOf(gw), WM_PAINT, 0, 0, tickCount(), {}, 0}});
}

// The close button: as on Win32, the system command reaches the procedure,
// whose default handling sends WM_CLOSE.
void onClose(GLFWwindow* gw) {
    glfwSetWindowShouldClose(gw, GLFW_FALSE);
    enqueue(QueuedMessage{MSG{hwndOf(gw), WM_SYSCOMMAND, SC_CLOSE, 0, tickCount(), {}, 0}});
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

}  // namespace

void installGeometryCallbacks(GLFWwindow* gw) {
    glfwSetWindowPosCallback(gw, &onPos);
    glfwSetWindowSizeCallback(gw, &onSize);
    glfwSetWindowIconifyCallback(gw, &onIconify);
    glfwSetWindowMaximizeCallback(gw, &onMaximize);
    glfwSetWindowFocusCallback(gw, &onFocus);
    glfwSetWindowCloseCallback(gw, &onClose);
    glfwSetWindowRefreshCallback(gw, &onRefresh);
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
