// GL contexts of windows: pixel formats and contexts shared between windows.
// (The GL worker's own path, a suspended high-priority thread that chooses
// its format by attributes and draws, runs in every window test of the
// application layer; a window destroyed while its worker still holds the
// context, in the test of a stuck worker.)
#include <GL/gl.h>

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
    EXPECT_EQ(std::tuple(pfd.cDepthBits, pfd.cStencilBits, pfd.dwFlags & PFD_DOUBLEBUFFER),
              std::tuple(24, 8, DWORD(PFD_DOUBLEBUFFER)));

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

}  // namespace
