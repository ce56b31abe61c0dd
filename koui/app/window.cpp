// Window: creation, destruction and the start and stop of the GL worker.
#include "koui/app/window.h"

#include "koui/app/window_manager.h"
#include "koui/platform/gl_context.h"
#include "koui/platform/threads.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui::app {

namespace {
constexpr const char* kClassName = "koui::app::Window";
}

Window::Window() = default;

Window::Window(Window* parent, const std::string& name, int x, int y, int w, int h, DWORD style,
               DWORD exStyle, WndMsgCallback wndMsgCB, UIEventCallback uiEventCB) {
    Create(parent, name, x, y, w, h, style, exStyle, std::move(wndMsgCB), std::move(uiEventCB), nullptr);
}

void Window::operator delete(Window* window, std::destroying_delete_t) {
    if (!window->stopOnce()) {
        window->logError("deleted while its GL worker still runs: the window is kept, not freed");
        return;
    }
    void* whole = dynamic_cast<void*>(window);  // the most derived object
    window->~Window();
    ::operator delete(whole);
}

Window::~Window() {
    // A worker still running would go on using this object; stop it first.
    if (!stopOnce()) logError("destroyed while its GL worker still runs");
    if (hWnd && IsWindow(hWnd) && GetWindowLongPtrA(hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    if (windowManager) windowManager->forget(this);
    if (glThread) CloseHandle(glThread);
}

bool Window::Create(Window* parent, const std::string& n, int x, int y, int w, int h, DWORD style,
                    DWORD exStyle, WndMsgCallback msgCB, UIEventCallback eventCB, const char* className) {
    logBegin("Create(%p,%s,%d,%d,%d,%d,%u,%u)", static_cast<void*>(parent), n.c_str(), x, y, w, h, style,
             exStyle);
    name = n;
    wndMsgCB = std::move(msgCB);
    uiEventCB = std::move(eventCB);
    HWND made = CreateWindowExA(exStyle | WS_EX_NOPARENTNOTIFY, className ? className : kClassName,
                                name.c_str(), style | WS_CLIPCHILDREN, x, y, w, h,
                                parent ? parent->hWnd : nullptr, nullptr, nullptr, this);
    if (!made) return false;
    logEnd("Create()");
    return true;
}

void Window::Destroy() {
    logBegin("Destroy(%s)", name.c_str());
    if (hWnd) DestroyWindow(hWnd);
}

bool Window::setHWnd(HWND h) {
    hWnd = h;
    return h != nullptr;
}

bool Window::glMakeCurrent() {
    wglMakeCurrent(hDC, hGLRC);
    return true;
}

void Window::glSwap() {
    SwapBuffers(hDC);
}

bool Window::addTo_GL_MsgQueue(const e_wndmsg& m) {
    {
        std::lock_guard guard(glMsgLock);
        glMsgQueue.push_back(m);
    }
    wake();
    return true;
}

void Window::setDrawOnDemand(bool on) {
    onDemand.store(on);
    wake();  // a sleeping worker goes back to continuous drawing
}

void Window::wake() {
    {
        std::lock_guard guard(wakeLock);
        wakePending = true;
    }
    wakeCv.notify_all();
}

void Window::UIEvent(const std::string& event) {
    if (uiEventCB) uiEventCB(event);
}

bool Window::Start_GL() {
    uint32_t s = glState.load();
    if (s == GL_STARTING || s == GL_RUNNING || s == GL_STOPPING) return false;
    glState.exchange(GL_STARTING);
    // A finished worker may be started again; its old handle goes first.
    if (glThread) {
        CloseHandle(glThread);
        glThread = nullptr;
    }
    HANDLE t = CreateThread(nullptr, 0, &Window::GL_Worker_, this, CREATE_SUSPENDED, nullptr);
    if (!t) return logError("CreateThread failed (err=%lu)", static_cast<unsigned long>(GetLastError()));
    if (!SetThreadPriority(t, THREAD_PRIORITY_HIGHEST)) {
        // The thread is never resumed; its handle is closed so that the
        // suspended thread object does not outlive the window unseen.
        CloseHandle(t);
        return logError("Cannot set priority");
    }
    ResumeThread(t);
    glThread = t;
    return true;
}

bool Window::Stop_GL() {
    ScopeLog scope(this, "Stop_GL()");
    if (!workerActive()) return false;
    glState.exchange(GL_STOPPING);
    wake();  // a worker sleeping on demand
    if (WaitForSingleObject(glThread, stopTimeoutMs) == WAIT_TIMEOUT) {
        stopGaveUp.store(true);
        return logError("Stop_GL()> Reached timeout while waiting to finish");
    }
    return true;
}

bool Window::stopOnce() {
    if (workerActive() && !stopGaveUp.load()) Stop_GL();
    if (workerActive()) return false;
    // A worker that has set GL_FINISHED may still be writing its last log
    // line about this object; it is joined before anything is freed.
    if (glThread) WaitForSingleObject(glThread, stopTimeoutMs);
    return true;
}

bool Window::workerActive() {
    uint32_t s = glState.load();
    // A worker that was launched but has not reached its first step yet is
    // stopped as well: it keeps GL_STOPPING on entry (see GL_Worker), so a
    // close right after creation is not lost.
    return s == GL_RUNNING || s == GL_STOPPING || (s == GL_STARTING && glThread);
}

DWORD Window::GL_Worker_(void* window) {
    koui::platform::setCurrentThreadName("koui-gl");
    return static_cast<Window*>(window)->GL_Worker();
}

}  // namespace koui::app
