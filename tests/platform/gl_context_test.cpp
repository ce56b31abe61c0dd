// GL contexts of windows: pixel formats, contexts shared between windows,
// a context held by a worker while its window goes, and a helper window
// with a legacy pixel format made by a worker. (The GL worker's own path,
// a suspended high-priority thread that chooses its format by attributes
// and draws, runs in every window test of the application layer.)
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

TEST_F(platformGl, FormatRequestsBeyondTheFramebufferFindNothing) {
    const struct {
        std::vector<int> attribs;  // key and value pairs, ended by a zero key
        UINT found;
    } requests[] = {{{WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
                      WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
                      WGL_COLOR_BITS_ARB, 32, WGL_DEPTH_BITS_ARB, 24, WGL_STENCIL_BITS_ARB, 8, 0},
                     1},
                    {{WGL_DEPTH_BITS_ARB, 32, 0}, 0},
                    {{WGL_DOUBLE_BUFFER_ARB, 0, 0}, 0}};
    for (const auto& r : requests) {
        int format = 0;
        UINT count = 9;
        ASSERT_TRUE(wglChoosePixelFormatARB(dc_, r.attribs.data(), nullptr, 1, &format, &count));
        EXPECT_EQ(count, r.found) << r.attribs[0] << " " << r.attribs[1];
    }
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

// A worker makes a hidden window with a legacy pixel format and context,
// uses it and tears it down while the window thread waits for the worker:
// the window calls the worker makes are served during that wait too.
DWORD helperWindow(LPVOID out) {
    HWND h = CreateWindowExA(0, kClass, "aux", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             nullptr, nullptr, nullptr, nullptr);
    if (!h) return 1;
    HDC dc = GetDC(h);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    const int format = ChoosePixelFormat(dc, &pfd);
    if (!format || !SetPixelFormat(dc, format, &pfd)) return 2;
    HGLRC rc = wglCreateContext(dc);
    if (!rc || !wglMakeCurrent(dc, rc)) return 3;
    *static_cast<bool*>(out) = glGetString(GL_VERSION) != nullptr;
    return wglMakeCurrent(dc, nullptr) && wglDeleteContext(rc) && ReleaseDC(h, dc) && DestroyWindow(h) ? 0
                                                                                                       : 4;
}

TEST_F(platformGl, HelperWindowOfAWorkerThread) {
    bool version = false;
    HANDLE t = CreateThread(nullptr, 0, &helperWindow, &version, 0, nullptr);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(WaitForSingleObject(t, 30000), WAIT_OBJECT_0);
    DWORD code = 9;
    GetExitCodeThread(t, &code);
    CloseHandle(t);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(version);
    ASSERT_TRUE(log().has(WM_CREATE));
    for (const auto& s : log().all()) EXPECT_EQ(s.thread, std::this_thread::get_id()) << s.msg;
}

}  // namespace
