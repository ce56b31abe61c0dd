// Window: the GL worker thread. It makes the context, the UI instance and
// the canvas, runs the GL cycle while the window lives, and frees all of it
// on its own thread after the last cycle (see window.h, Teardown).
#include <GL/glew.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "koui/app/app_div.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/context_objects.h"
#include "koui/family/gl_init.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/platform/gl_context.h"
#include "koui/platform/input.h"
#include "koui/platform/window.h"
#include "koui/res/instance.h"

using namespace koui::win32;

namespace koui::app {

namespace {

// Mouse message -> pointer event code. Built once, by whichever worker gets
// here first (static initialisation is thread-safe), and shared by all
// windows. Double clicks, moves and the horizontal wheel have no entry.
const std::unordered_map<UINT, uint32_t>& mouseMsgMap() {
    static const std::unordered_map<UINT, uint32_t> map = {
        {WM_LBUTTONDOWN, MT_LDOWN}, {WM_LBUTTONUP, MT_LUP},     {WM_RBUTTONDOWN, MT_RDOWN},
        {WM_RBUTTONUP, MT_RUP},     {WM_MBUTTONDOWN, MT_MDOWN}, {WM_MBUTTONUP, MT_MUP},
        {WM_MOUSEWHEEL, MT_WHEEL},
    };
    return map;
}

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool inTree(Div* root, Div* d) {
    for (; d; d = d->dGetParent())
        if (d == root) return true;
    return false;
}

}  // namespace

HGLRC Window::glCreateContext() {
    const int formatAttribs[] = {WGL_DRAW_TO_WINDOW_ARB,
                                 1,
                                 WGL_SUPPORT_OPENGL_ARB,
                                 1,
                                 WGL_DOUBLE_BUFFER_ARB,
                                 1,
                                 WGL_ACCELERATION_ARB,
                                 WGL_FULL_ACCELERATION_ARB,
                                 WGL_PIXEL_TYPE_ARB,
                                 WGL_TYPE_RGBA_ARB,
                                 WGL_COLOR_BITS_ARB,
                                 32,
                                 WGL_DEPTH_BITS_ARB,
                                 24,
                                 WGL_STENCIL_BITS_ARB,
                                 8,
                                 0};
    int format = 0;
    UINT count = 0;
    wglChoosePixelFormatARB(hDC, formatAttribs, nullptr, 1, &format, &count);
    if (count == 0) return nullptr;
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(hDC, format, sizeof pfd, &pfd);
    if (!SetPixelFormat(hDC, format, &pfd)) return nullptr;
    const int contextAttribs[] = {WGL_CONTEXT_FLAGS_ARB, WGL_CONTEXT_DEBUG_BIT_ARB,
                                  WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
    HGLRC rc = wglCreateContextAttribsARB(hDC, nullptr, contextAttribs);
    if (!rc) return nullptr;
    hGLRC = rc;
    return rc;
}

unsigned int Window::GL_Worker() {
    ScopeLog scope(this, "GL_Worker()");
    mouseMsgMap();
    // Only a start that nobody has stopped yet becomes a running worker; a
    // stop that came first keeps GL_STOPPING, and the worker then ends
    // after its set-up without a cycle.
    uint32_t starting = GL_STARTING;
    glState.compare_exchange_strong(starting, GL_RUNNING);
    WindowManager::util_StartOpenGLExt();
    if (!glCreateContext()) {
        glState.exchange(GL_FINISHED);
        return 0;
    }
    bool ready = createUI();
    if (ready) {
        while (glState.load() == GL_RUNNING) {
            cycle();
            if (onDemand.load()) sleepUntilWanted();
        }
        UIEvent("gl.finish");
    }
    teardown();
    glState.exchange(GL_FINISHED);
    return 0;
}

bool Window::createUI() {
    wglMakeCurrent(hDC, hGLRC);
    // initLib loads the GL entry points through GLEW on this context; a
    // second glewInit would fetch the same process-wide pointers again.
    ko::gl::initLib();
    UIEvent("gl.start");
    logMsg("Creating Instance...");
    if (!compileResArchive && !readResArchive && !resArchivePath.empty()) removeStaleArchive();
    Instance* inst = CreateInstance(resFolder, resArchivePath, "res.kor", hWnd);
    if (!inst) return logError("Cannot create instance [FATAL]");
    instance.store(inst);
    if (compileResArchive && !readResArchive && inst->resInstance) inst->resInstance->Compile(resArchivePath);
    inst->setWake([this] { wake(); });
    canvas.store(inst->CreateCanvas());
    UIEvent("canvas.created");
    logOK("Instance created, continuing with GL cycle...");
    return true;
}

void Window::removeStaleArchive() {
    // A file that cannot be removed is reported and left: the instance then
    // reads from it rather than from the folder, and the window still works.
    std::error_code ec;
    std::filesystem::remove(resArchivePath, ec);
    if (ec) logError("Cannot remove %s: %s", resArchivePath.c_str(), ec.message().c_str());
}

void Window::cycle() {
    const double start = nowMs();
    wglMakeCurrent(hDC, hGLRC);
    RECT rc{};
    GetClientRect(hWnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    glViewport(0, 0, w, h);
    glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(1, 1, 1);
    glOrtho(0, w, h, 0, -1, 1);
    UIEvent("gl.cycle.start");
    drainMessages();
    Instance* inst = instance.load();
    Canvas* c = canvas.load();
    if (inst) {
        inst->Iterate(0, 0, w, h);
        popupOpen.store(c && c->hasPopup());
        POINT p{0, 0};
        GetCursorPos(&p);
        ScreenToClient(hWnd, &p);
        if (c) c->ProcessMTEvent(MT_MOVE, p.x, p.y, 0, static_cast<int>(heldModifiers()));
    }
    if (inst) inst->Draw();
    UIEvent("gl.cycle.finish");
    SwapBuffers(hDC);
    frames.fetch_add(1);
    if (afterSwap) afterSwap();
    paceFrame(start);
}

void Window::drainMessages() {
    Canvas* c = canvas.load();
    // Held for the whole drain, handlers included: the window thread waits
    // in addTo_GL_MsgQueue meanwhile, so the order of input is kept.
    std::lock_guard guard(glMsgLock);
    while (!glMsgQueue.empty()) {
        const e_wndmsg m = glMsgQueue.front();
        if (c) {
            if (m.msg >= WM_MOUSEFIRST && m.msg <= WM_MOUSELAST)
                dispatchMouse(c, m);
            else if (m.msg == WM_KEYDOWN)
                c->ProcessKeyEvent(
                    static_cast<int>(m.wParam),
                    static_cast<int>(MapVirtualKeyA(static_cast<UINT>(m.wParam), MAPVK_VK_TO_CHAR)),
                    static_cast<int>(m.mods));
            else if (m.msg == WM_CHAR)
                c->ProcessCharEvent(static_cast<int>(m.wParam), 0, static_cast<int>(m.mods));
        }
        glMsgQueue.pop_front();
    }
}

void Window::dispatchMouse(Canvas* c, const e_wndmsg& m) {
    const auto& map = mouseMsgMap();
    if (map.find(m.msg) == map.end()) return;
    try {
        const uint32_t type = map.at(m.msg);
        int x = GET_X_LPARAM(m.lParam), y = GET_Y_LPARAM(m.lParam), z = 0;
        if (type == MT_WHEEL) {
            // Wheel messages carry screen coordinates; elements want the
            // client position of the cursor.
            POINT p{0, 0};
            GetCursorPos(&p);
            ScreenToClient(hWnd, &p);
            x = p.x, y = p.y;
            z = GET_WHEEL_DELTA_WPARAM(m.wParam);
        }
        c->ProcessMTEvent(static_cast<int>(type), x, y, z, static_cast<int>(m.mods));
    } catch (...) {
        logMsg("Not found");
    }
}

void Window::paceFrame(double cycleStartMs) {
    const double limit = frameLimitMs.load(std::memory_order_relaxed);
    if (limit <= 0) return;
    const double left = limit - (nowMs() - cycleStartMs);
    if (left > kPaceSlackMs) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
}

// Asked after the cycle: a request made while drawing it wants the next.
void Window::sleepUntilWanted() {
    Instance* inst = instance.load();
    const double due = inst ? inst->takeFrameDue() : HUGE_VAL;
    std::unique_lock lock(wakeLock);
    auto wanted = [this] { return wakePending || glState.load() != GL_RUNNING || !onDemand.load(); };
    if (std::isinf(due)) {
        wakeCv.wait(lock, wanted);
    } else {
        // Canvas::monotonicSeconds counts from the steady clock's epoch.
        using namespace std::chrono;
        const steady_clock::time_point at(duration_cast<steady_clock::duration>(duration<double>(due)));
        wakeCv.wait_until(lock, at, wanted);
    }
    wakePending = false;
}

void Window::teardown() {
    Canvas* c = canvas.exchange(nullptr);
    Instance* inst = instance.exchange(nullptr);
    // The application element goes with the canvas when it is part of its
    // tree; the window hooks must not find it afterwards.
    AppDiv* d = appDiv.load();
    if (c && d && inTree(c, d)) appDiv.store(nullptr);
    delete c;  // before the instance, whose messages its elements forget
    delete inst;
    {
        std::lock_guard guard(glMsgLock);
        glMsgQueue.clear();
    }
    ko::gl::releaseContextObjects();  // the programs and vertex array this context made
    wglMakeCurrent(nullptr, nullptr);
    if (hGLRC) wglDeleteContext(hGLRC);
    hGLRC = nullptr;
}

}  // namespace koui::app
