// Window: the window procedure, run on the window thread for every message
// after WM_NCCREATE.
//
// The order matters: the application element and the application callback
// see a message before anything else and may claim it; hit test and size
// limits are asked of the application element; presses take focus and
// capture; Escape closes the window without reaching the elements, unless a
// pop-up is open (then it is the pop-up's key, see window.h); and every
// message that gets this far is queued for the GL thread before the few that
// need a synchronous answer are handled.
#include "koui/app/app_div.h"
#include "koui/app/window.h"
#include "koui/platform/input.h"
#include "koui/platform/message_queue.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui::app {

namespace {
// The element's own hit-test answer meaning "decide as usual".
constexpr LRESULT kHitTestDefault = -2;
constexpr const char* kAppDivClass = "koui::app::AppDiv";
}  // namespace

uint32_t Window::heldModifiers() {
    uint32_t mods = 0;
    if (GetKeyState(VK_CONTROL) & 0x80) mods |= MOD_CTRL;
    if (GetKeyState(VK_SHIFT) & 0x80) mods |= MOD_SHIFT;
    if (GetKeyState(VK_MENU) & 0x80) mods |= MOD_ALT;
    return mods;
}

LRESULT Window::WndProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    // On the window thread the key state follows the messages read, so the
    // modifiers are those held with this message.
    e_wndmsg m{h, msg, wParam, lParam, 0, heldModifiers()};
    LRESULT out = 0;
    if (hookAppDiv(m, out) || hookCallback(m, out) || hookHitTest(m, out) || hookMinMaxInfo(m, out))
        return out;
    trackCapture(msg);
    if (msg == WM_KEYDOWN && wParam == static_cast<WPARAM>(VK_ESCAPE) && !popupOpen.load()) {
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        return 1;
    }
    addTo_GL_MsgQueue(m);
    return finalHandling(m);
}

bool Window::hookAppDiv(e_wndmsg& m, LRESULT& out) {
    AppDiv* d = appDiv.load();
    if (!d || !d->dIsBaseClass(kAppDivClass) || !d->OnWndMsg(m)) return false;
    out = m.result;
    return true;
}

bool Window::hookCallback(e_wndmsg& m, LRESULT& out) {
    if (!wndMsgCB || !wndMsgCB(m)) return false;
    out = m.result;
    return true;
}

bool Window::hookHitTest(const e_wndmsg& m, LRESULT& out) {
    AppDiv* d = appDiv.load();
    if (m.msg != WM_NCHITTEST || !d) return false;
    RECT r{};
    GetWindowRect(m.hWnd, &r);
    LRESULT hit = d->OnNCHitTest(GET_X_LPARAM(m.lParam) - r.left, GET_Y_LPARAM(m.lParam) - r.top,
                                 r.right - r.left, r.bottom - r.top);
    if (hit == kHitTestDefault) return false;
    out = hit;
    return true;
}

bool Window::hookMinMaxInfo(const e_wndmsg& m, LRESULT& out) {
    AppDiv* d = appDiv.load();
    if (m.msg != WM_GETMINMAXINFO || !d) return false;
    if (!d->OnWndGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(m.lParam))) return false;
    out = 1;
    return true;
}

void Window::trackCapture(UINT msg) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetFocus(hWnd);
            SetForegroundWindow(hWnd);
            mouseCaptured = 1;
            SetCapture(hWnd);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (mouseCaptured == 1) ReleaseCapture();
            mouseCaptured = 0;
            break;
        default:
            break;
    }
}

LRESULT Window::finalHandling(const e_wndmsg& m) {
    switch (m.msg) {
        case WM_CREATE:
            hDC = GetDC(m.hWnd);
            Start_GL();
            return 1;
        case WM_DESTROY:
            // Destroyed without WM_CLOSE (DestroyWindow, the manager's
            // Destroy): the worker must finish and free its GL objects while
            // the window and its context still exist. After WM_CLOSE's wait
            // ran out, the window goes without another wait.
            stopOnce();
            PostQuitMessage(0);
            return 0;
        case WM_CLOSE: {
            ScopeLog scope(this, "WM_CLOSE");
            if (Stop_GL())
                logMsg("Stop_GL: Done");
            else
                logMsg("Stop_GL: ERROR");
            DestroyWindow(hWnd);
            return 0;
        }
        default:
            return DefWindowProcA(m.hWnd, m.msg, m.wParam, m.lParam);
    }
}

}  // namespace koui::app
