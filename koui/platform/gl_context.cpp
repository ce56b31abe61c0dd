#include "koui/platform/gl_context.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstring>

#include "koui/platform/detail/state.h"

namespace koui::win32 {

using namespace koui::platform::detail;

namespace {

// GL enums read back at creation (no loader is needed for these entry
// points of OpenGL 1.0).
constexpr unsigned kGlRedBits = 0x0D52, kGlGreenBits = 0x0D53, kGlBlueBits = 0x0D54;
constexpr unsigned kGlAlphaBits = 0x0D55, kGlDepthBits = 0x0D56, kGlStencilBits = 0x0D57;
constexpr unsigned kGlDoubleBuffer = 0x0C32;
using GetIntegerv = void (*)(unsigned, int*);

// Which window's context is current on this thread. Its destructor lets go
// of the context when the thread ends, so that a destroyed window waiting
// for it can be freed.
struct CurrentContext {
    std::shared_ptr<WindowRecord> window;
    ~CurrentContext() {
        if (!window) return;
        glfwMakeContextCurrent(nullptr);
        std::lock_guard guard(window->ctxLock);
        window->current = false;
    }
};
thread_local CurrentContext currentContext;

std::shared_ptr<WindowRecord> windowOfDc(HDC dc) {
    return find(reinterpret_cast<HWND>(dc));
}

HGLRC contextOf(const WindowRecord& w) {
    return reinterpret_cast<HGLRC>(w.id);
}

void letGoOfCurrent() {
    if (auto& w = currentContext.window) {
        std::lock_guard guard(w->ctxLock);
        w->current = false;
    }
    currentContext.window.reset();
}

// True when the window's framebuffer satisfies one wglChoosePixelFormatARB
// attribute (minimum criteria for sizes, exact ones for the rest).
bool satisfies(const WindowRecord& w, int attribute, int value) {
    switch (attribute) {
        case WGL_DRAW_TO_WINDOW_ARB:
        case WGL_SUPPORT_OPENGL_ARB:
            return true;  // both always hold
        case WGL_DOUBLE_BUFFER_ARB:
            return (value != 0) == w.fbDoubleBuffer;
        case WGL_ACCELERATION_ARB:
            return value == WGL_FULL_ACCELERATION_ARB;
        case WGL_PIXEL_TYPE_ARB:
            return value == WGL_TYPE_RGBA_ARB;
        case WGL_COLOR_BITS_ARB:
            return value <= w.fbColorBits;
        case WGL_ALPHA_BITS_ARB:
            return value <= w.fbAlphaBits;
        case WGL_DEPTH_BITS_ARB:
            return value <= w.fbDepthBits;
        case WGL_STENCIL_BITS_ARB:
            return value <= w.fbStencilBits;
        default:
            return true;
    }
}

}  // namespace

}  // namespace koui::win32

namespace koui::platform::detail {

void recordFramebuffer(WindowRecord& w) {
    GLFWwindow* previous = glfwGetCurrentContext();
    glfwMakeContextCurrent(w.glfw);
    auto get = reinterpret_cast<GetIntegerv>(glfwGetProcAddress("glGetIntegerv"));
    if (get) {
        int r = 0, g = 0, b = 0, a = 0, d = 0, s = 0, db = 0;
        get(kGlRedBits, &r), get(kGlGreenBits, &g), get(kGlBlueBits, &b), get(kGlAlphaBits, &a);
        get(kGlDepthBits, &d), get(kGlStencilBits, &s), get(kGlDoubleBuffer, &db);
        // Colour bits count alpha too, as Windows drivers report them.
        w.fbColorBits = r + g + b + a;
        w.fbAlphaBits = a, w.fbDepthBits = d, w.fbStencilBits = s, w.fbDoubleBuffer = db != 0;
    }
    w.glMajor = glfwGetWindowAttrib(w.glfw, GLFW_CONTEXT_VERSION_MAJOR);
    w.glMinor = glfwGetWindowAttrib(w.glfw, GLFW_CONTEXT_VERSION_MINOR);
    glfwMakeContextCurrent(previous);
}

void releaseGlfwWindow(const std::shared_ptr<WindowRecord>& w) {
    bool heldElsewhere;
    {
        std::lock_guard guard(w->ctxLock);
        heldElsewhere = w->current && w->currentOn != std::this_thread::get_id();
        if (heldElsewhere) {
            w->zombie = true;
            glfwHideWindow(w->glfw);
        }
    }
    if (heldElsewhere) {
        std::lock_guard stateGuard(state().lock);
        state().zombies.push_back(w);
        return;
    }
    if (currentContext.window == w) currentContext.window.reset();
    std::lock_guard guard(w->ctxLock);
    glfwDestroyWindow(w->glfw);  // detaches the context from this thread first
    w->glfw = nullptr;
    w->current = false;
}

void reapZombies() {
    std::vector<std::shared_ptr<WindowRecord>> zombies;
    {
        std::lock_guard guard(state().lock);
        zombies.swap(state().zombies);
    }
    std::vector<std::shared_ptr<WindowRecord>> kept;
    for (auto& w : zombies) {
        std::lock_guard ctx(w->ctxLock);
        if (w->current) {
            kept.push_back(w);
            continue;
        }
        glfwDestroyWindow(w->glfw);
        w->glfw = nullptr;
    }
    if (kept.empty()) return;
    std::lock_guard guard(state().lock);
    state().zombies.insert(state().zombies.end(), kept.begin(), kept.end());
}

}  // namespace koui::platform::detail

namespace koui::win32 {

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    auto w = windowOfDc(dc);
    if (!w || !pfd) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    // The closest format is the only one there is, as long as it can draw
    // with OpenGL into the window.
    return (pfd->dwFlags & PFD_SUPPORT_OPENGL) || pfd->dwFlags == 0 ? 1 : 0;
}

int DescribePixelFormat(HDC dc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* pfd) {
    auto w = windowOfDc(dc);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!pfd) return 1;  // the number of formats
    if (format != 1 || bytes < sizeof(PIXELFORMATDESCRIPTOR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memset(pfd, 0, sizeof(*pfd));
    pfd->nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd->nVersion = 1;
    pfd->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (w->fbDoubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd->iPixelType = PFD_TYPE_RGBA;
    pfd->cColorBits = static_cast<BYTE>(w->fbColorBits);
    pfd->cAlphaBits = static_cast<BYTE>(w->fbAlphaBits);
    pfd->cDepthBits = static_cast<BYTE>(w->fbDepthBits);
    pfd->cStencilBits = static_cast<BYTE>(w->fbStencilBits);
    pfd->iLayerType = PFD_MAIN_PLANE;
    return 1;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    auto w = windowOfDc(dc);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::lock_guard guard(w->ctxLock);
    if (format != 1 || (w->pixelFormat != 0 && w->pixelFormat != format)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    w->pixelFormat = format;
    return 1;
}

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttribs, const float*, UINT maxFormats, int* formats,
                             UINT* numFormats) {
    auto w = windowOfDc(dc);
    if (!w || !numFormats || (maxFormats > 0 && !formats)) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    bool ok = true;
    for (const int* a = intAttribs; a && a[0] != 0; a += 2) ok = ok && satisfies(*w, a[0], a[1]);
    *numFormats = ok ? 1 : 0;
    if (ok && maxFormats > 0) formats[0] = 1;
    return 1;
}

HGLRC wglCreateContext(HDC dc) {
    return wglCreateContextAttribsARB(dc, nullptr, nullptr);
}

HGLRC wglCreateContextAttribsARB(HDC dc, HGLRC share, const int* attribs) {
    auto w = windowOfDc(dc);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (share && !find(reinterpret_cast<HWND>(share))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    {
        std::lock_guard guard(w->ctxLock);
        if (w->pixelFormat == 0) {
            SetLastError(ERROR_INVALID_PIXEL_FORMAT);
            return nullptr;
        }
    }
    int major = 1, minor = 0;
    for (const int* a = attribs; a && a[0] != 0; a += 2) {
        if (a[0] == WGL_CONTEXT_MAJOR_VERSION_ARB) major = a[1];
        if (a[0] == WGL_CONTEXT_MINOR_VERSION_ARB) minor = a[1];
    }
    if (major > w->glMajor || (major == w->glMajor && minor > w->glMinor)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return contextOf(*w);
}

BOOL wglDeleteContext(HGLRC context) {
    auto w = find(reinterpret_cast<HWND>(context));
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (currentContext.window == w) {
        glfwMakeContextCurrent(nullptr);
        letGoOfCurrent();
    }
    return 1;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        glfwMakeContextCurrent(nullptr);
        letGoOfCurrent();
        return 1;
    }
    auto w = find(reinterpret_cast<HWND>(context));
    if (!w || reinterpret_cast<HWND>(dc) != reinterpret_cast<HWND>(context)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (currentContext.window == w) return 1;
    {
        std::lock_guard guard(w->ctxLock);
        if (!w->glfw || w->zombie || (w->current && w->currentOn != std::this_thread::get_id())) {
            SetLastError(ERROR_INVALID_HANDLE);  // gone, or current on another thread
            return 0;
        }
        // GLFW lets go of the thread's previous context here; that window
        // cannot be freed before its flag is cleared below.
        glfwMakeContextCurrent(w->glfw);
        w->current = true;
        w->currentOn = std::this_thread::get_id();
        if (!w->swapIntervalSet) {
            glfwSwapInterval(1);
            w->swapIntervalSet = true;
        }
    }
    letGoOfCurrent();
    currentContext.window = w;
    return 1;
}

HGLRC wglGetCurrentContext() {
    auto& w = currentContext.window;
    return w && !w->zombie ? contextOf(*w) : nullptr;
}

BOOL SwapBuffers(HDC dc) {
    auto w = windowOfDc(dc);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::lock_guard guard(w->ctxLock);
    if (!w->glfw) return 0;
    glfwSwapBuffers(w->glfw);
    return 1;
}

}  // namespace koui::win32

namespace koui::platform {

const void* currentGLContextKey() {
    return glfwGetCurrentContext();
}

}  // namespace koui::platform
