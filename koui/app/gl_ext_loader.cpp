// WindowManager::util_StartOpenGLExt: loads the OpenGL and context-creation
// entry points through a throw-away window with a legacy context, before any
// worker makes its own context.
//
// The class "koui::app::AuxWnd" is registered and never unregistered, so the
// registration, and with it the whole call, succeeds only once per process;
// every worker calls it and ignores the result. Unlike a bare early return,
// a failure after the window was made still closes the window again (and
// with it its context), so that a failed load leaves nothing behind.
#include <GL/glew.h>

#include "koui/app/window_manager.h"
#include "koui/host/log_sink.h"
#include "koui/platform/gl_context.h"
#include "koui/platform/window.h"

namespace koui::app {

namespace {

constexpr const char* kAuxClass = "koui::app::AuxWnd";

bool registerAuxClass() {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kAuxClass;
    return RegisterClassA(&wc) != 0;
}

// The legacy format asked of the throw-away window.
PIXELFORMATDESCRIPTOR legacyFormat() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cAlphaBits = 1;
    pfd.cDepthBits = 16;
    pfd.cStencilBits = 1;
    return pfd;
}

// With the window's device context: sets the legacy format, makes a
// context current, loads the entry points and lets go of the context.
bool loadThrough(HDC dc) {
    const PIXELFORMATDESCRIPTOR pfd = legacyFormat();
    const int format = ChoosePixelFormat(dc, &pfd);
    if (!format || !SetPixelFormat(dc, format, &pfd)) return false;
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) return false;
    glewExperimental = GL_TRUE;
    const bool loaded = glewInit() == GLEW_OK;
    while (glGetError() != GL_NO_ERROR) {
    }
    wglMakeCurrent(dc, nullptr);
    wglDeleteContext(rc);
    return loaded;
}

}  // namespace

bool WindowManager::util_StartOpenGLExt() {
    ko::log::print("Global / [BEGIN] util_StartOpenGLExt()");
    if (!registerAuxClass()) return false;
    HWND wnd = CreateWindowExA(0, kAuxClass, "aux_foo_wnd", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!wnd) return false;
    HDC dc = GetDC(wnd);
    const bool loaded = dc && loadThrough(dc);
    if (dc) ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
    if (!loaded) return false;
    ko::log::print("Global / [END  ] util_StartOpenGLExt()");
    return true;
}

}  // namespace koui::app
