// GL contexts of windows, used the way the GL worker uses them: pixel format
// and context calls on a suspended high-priority worker thread, then drawing
// with fixed-function and read-back pixels.
#include <GL/gl.h>

#include <atomic>

#include "platform_test_support.h"

namespace {

using namespace koui::test;

class platformGl : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        hwnd_ = make(WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, "gl");
        ASSERT_NE(hwnd_, nullptr);
        dc_ = GetDC(hwnd_);
        ASSERT_NE(dc_, nullptr);
    }
    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
};

// Key and value pairs, ended by a zero key.
// clang-format off
const int kWorkerAttribs[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
                              WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
                              WGL_COLOR_BITS_ARB, 32, WGL_DEPTH_BITS_ARB, 24, WGL_STENCIL_BITS_ARB, 8, 0};
// clang-format on

struct WorkerResult {
    HDC dc = nullptr;
    bool formatChosen = false, formatSet = false, current = false, swapped = false;
    HGLRC context = nullptr;
    unsigned char pixel[4] = {};
    GLenum matrixError = 1;
};

DWORD glWorker(LPVOID p) {
    auto* r = static_cast<WorkerResult*>(p);
    int format = 0;
    UINT count = 0;
    r->formatChosen =
        wglChoosePixelFormatARB(r->dc, kWorkerAttribs, nullptr, 1, &format, &count) && count == 1;
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(r->dc, format, sizeof pfd, &pfd);
    r->formatSet = SetPixelFormat(r->dc, format, &pfd);
    const int ctxAttribs[] = {WGL_CONTEXT_FLAGS_ARB, WGL_CONTEXT_DEBUG_BIT_ARB, WGL_CONTEXT_PROFILE_MASK_ARB,
                              WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
    r->context = wglCreateContextAttribsARB(r->dc, nullptr, ctxAttribs);
    r->current = wglMakeCurrent(r->dc, r->context) && wglGetCurrentContext() == r->context;
    if (!r->current) return 1;
    glViewport(0, 0, 64, 48);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The fixed-function matrix calls of the GL cycle need the
    // compatibility profile.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 48, 0, -1, 1);
    r->matrixError = glGetError();
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, r->pixel);
    r->swapped = SwapBuffers(r->dc);
    wglMakeCurrent(nullptr, nullptr);
    return 0;
}

TEST_F(platformGl, WorkerThreadGetsTheWindowContextAndDraws) {
    WorkerResult r;
    r.dc = dc_;
    HANDLE t = CreateThread(nullptr, 0, &glWorker, &r, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(SetThreadPriority(t, THREAD_PRIORITY_HIGHEST));
    ResumeThread(t);
    ASSERT_EQ(WaitForSingleObject(t, 30000), WAIT_OBJECT_0);
    DWORD code = 9;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(r.formatChosen);
    EXPECT_TRUE(r.formatSet);
    EXPECT_NE(r.context, nullptr);
    EXPECT_TRUE(r.current);
    EXPECT_EQ(r.matrixError, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(r.pixel[0], 255);
    EXPECT_NEAR(r.pixel[1], 128, 1);
    EXPECT_EQ(r.pixel[2], 0);
    EXPECT_TRUE(r.swapped);
}

TEST_F(platformGl, FormatRequestsBeyondTheFramebufferFindNothing) {
    const int tooDeep[] = {WGL_DEPTH_BITS_ARB, 32, 0};
    const int single[] = {WGL_DOUBLE_BUFFER_ARB, 0, 0};
    int format = 0;
    UINT count = 9;
    ASSERT_TRUE(wglChoosePixelFormatARB(dc_, tooDeep, nullptr, 1, &format, &count));
    EXPECT_EQ(count, 0u);
    ASSERT_TRUE(wglChoosePixelFormatARB(dc_, single, nullptr, 1, &format, &count));
    EXPECT_EQ(count, 0u);

    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_EQ(DescribePixelFormat(dc_, 1, sizeof pfd, &pfd), 1);
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_EQ(pfd.cStencilBits, 8);
    EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);

    EXPECT_EQ(wglCreateContext(dc_), nullptr) << "no context before a pixel format is set";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    ASSERT_TRUE(SetPixelFormat(dc_, 1, &pfd));
    EXPECT_TRUE(SetPixelFormat(dc_, 1, &pfd));
    EXPECT_FALSE(SetPixelFormat(dc_, 2, &pfd)) << "the format of a window cannot change";
    const int tooNew[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 99, 0};
    EXPECT_EQ(wglCreateContextAttribsARB(dc_, nullptr, tooNew), nullptr);
    EXPECT_NE(wglCreateContext(dc_), nullptr);
}

TEST_F(platformGl, ContextsOfWindowsShareObjects) {
    HWND other = make(WS_POPUP, 0, 0, 32, 32, nullptr, "gl 2");
    ASSERT_NE(other, nullptr);
    HDC otherDc = GetDC(other);
    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_TRUE(SetPixelFormat(dc_, 1, &pfd));
    ASSERT_TRUE(SetPixelFormat(otherDc, 1, &pfd));
    HGLRC first = wglCreateContext(dc_), second = wglCreateContext(otherDc);
    ASSERT_TRUE(first && second && first != second);

    ASSERT_TRUE(wglMakeCurrent(dc_, first));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char texel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glFinish();

    ASSERT_TRUE(wglMakeCurrent(otherDc, second));
    EXPECT_EQ(wglGetCurrentContext(), second);
    EXPECT_EQ(glIsTexture(texture), GL_TRUE) << "a texture made in one window is known in the other";
    wglMakeCurrent(nullptr, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_FALSE(wglMakeCurrent(dc_, second)) << "a context belongs to its own window";
}

// The window is destroyed while a worker still holds its context (a worker
// that missed its stop time-out): nothing may be freed under the worker.
TEST_F(platformGl, DestroyingAWindowWhoseContextAnotherThreadHolds) {
    PIXELFORMATDESCRIPTOR pfd{};
    SetPixelFormat(dc_, 1, &pfd);
    HGLRC ctx = wglCreateContext(dc_);
    ASSERT_NE(ctx, nullptr);
    std::atomic<int> step{0};
    std::atomic<bool> swapAfter{true};
    std::thread worker([&] {
        wglMakeCurrent(dc_, ctx);
        glClear(GL_COLOR_BUFFER_BIT);
        step = 1;
        while (step != 2) std::this_thread::yield();
        swapAfter = SwapBuffers(dc_);
        EXPECT_FALSE(wglMakeCurrent(dc_, ctx));
        EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
        step = 3;
    });
    while (step != 1) std::this_thread::yield();
    ASSERT_TRUE(DestroyWindow(hwnd_));
    step = 2;
    ASSERT_TRUE(pumpUntil([&] { return step == 3; }));
    worker.join();
    EXPECT_FALSE(swapAfter) << "a destroyed window's buffers cannot be swapped";
    drain();  // frees the window the worker let go of
}

// The extension loader of the window manager: a worker registers a class
// with DefWindowProcA, makes a hidden helper window with a legacy pixel
// format and context, uses it and tears it down, all from its own thread
// while the window thread pumps.
struct AuxResult {
    bool registered = false, created = false, format = false, current = false, cleaned = false;
    bool secondRegistration = true;
    DWORD secondError = 0;
    const unsigned char* version = nullptr;
};

DWORD auxWorker(LPVOID p) {
    auto* r = static_cast<AuxResult*>(p);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "koui-test-aux";
    r->registered = RegisterClassA(&wc) != 0;
    r->secondRegistration = RegisterClassA(&wc) != 0;
    r->secondError = GetLastError();
    HWND h = CreateWindowExA(0, "koui-test-aux", "aux", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    r->created = h != nullptr;
    if (!h) return 1;
    HDC dc = GetDC(h);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cAlphaBits = 1;
    pfd.cDepthBits = 16;
    pfd.cStencilBits = 1;
    int format = ChoosePixelFormat(dc, &pfd);
    r->format = format != 0 && SetPixelFormat(dc, format, &pfd);
    HGLRC rc = wglCreateContext(dc);
    r->current = rc && wglMakeCurrent(dc, rc);
    if (r->current) r->version = glGetString(GL_VERSION);
    r->cleaned = wglMakeCurrent(dc, nullptr) && wglDeleteContext(rc) && ReleaseDC(h, dc) && DestroyWindow(h);
    return 0;
}

// Window calls from the worker wait for the window thread, which serves them
// also while it waits for that worker (as Window::Stop_GL does); served
// while pumping, they are checked by the window tests.
TEST_F(platformGl, HelperWindowOfAWorkerThread) {
    AuxResult r;
    HANDLE t = CreateThread(nullptr, 0, &auxWorker, &r, 0, nullptr);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(WaitForSingleObject(t, 30000), WAIT_OBJECT_0);
    CloseHandle(t);
    EXPECT_TRUE(r.registered);
    EXPECT_FALSE(r.secondRegistration) << "the class is never unregistered";
    EXPECT_EQ(r.secondError, ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_TRUE(r.created);
    EXPECT_TRUE(r.format);
    EXPECT_TRUE(r.current);
    EXPECT_NE(r.version, nullptr);
    EXPECT_TRUE(r.cleaned);
}

}  // namespace
