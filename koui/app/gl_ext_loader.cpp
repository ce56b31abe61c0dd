// WindowManager::util_StartOpenGLExt: makes sure the context-creation entry
// points are there before any worker makes its own context.
//
// On Win32 wglChoosePixelFormatARB and wglCreateContextAttribsARB can only be
// fetched through a current legacy context, hence the classic throw-away
// window. Here the platform layer exports both as ordinary functions, and
// the GL entry points are process-wide pointers that each worker's glewInit
// fetches on its own context (GLX resolves them without a window). So the
// loader keeps its log lines and its once-per-process rule but makes no
// window and no context: on Mesa under X that pair cost about 70 ms of every
// start (a second native window, a second enumeration of the server's
// framebuffer configurations, a second context and a second glewInit), for
// nothing the worker does not do anyway.
//
// The class "koui::app::AuxWnd" is still registered and never unregistered,
// so the registration, and with it the whole call, succeeds only once per
// process; every worker calls it and ignores the result.
#include "koui/app/window_manager.h"
#include "koui/host/log_sink.h"
#include "koui/platform/window.h"

using namespace koui::win32;

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

}  // namespace

bool WindowManager::util_StartOpenGLExt() {
    ko::log::print("Global / [BEGIN] util_StartOpenGLExt()");
    if (!registerAuxClass()) return false;
    ko::log::print("Global / [END  ] util_StartOpenGLExt()");
    return true;
}

}  // namespace koui::app
