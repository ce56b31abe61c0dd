#include "tests/support/gl_fixture.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
#include <ostream>
#include <sstream>
#include <thread>

#include "koui/family/context_objects.h"
#include "koui/family/gl_init.h"
#include "tests/support/png_writer.h"

namespace koui::test {

GLFWwindow* GlTest::window_ = nullptr;
std::string GlTest::skipReason_;
std::string GlTest::failReason_;

namespace {

std::string& lastGlfwError() {
    static std::string error;
    return error;
}

void onGlfwError(int code, const char* text) {
    lastGlfwError() = "GLFW error " + std::to_string(code) + ": " + (text ? text : "");
}

GLFWwindow* createWindow(int major, int minor) {
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_ALPHA_BITS, 8);
    if (major) {
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, major);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, minor);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    }
    return glfwCreateWindow(GlTest::kWidth, GlTest::kHeight, "koui gl test", nullptr, nullptr);
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const Rgba& c) {
    return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

Rgba Frame::at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

void GlTest::SetUpTestSuite() {
    skipReason_.clear();
    failReason_.clear();
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        skipReason_ = "no X display (DISPLAY unset): run GL tests under xvfb-run -a";
        return;
    }
    // Mesa rasterises on the test's own thread and keeps no shader cache
    // (unless the environment says otherwise): nothing written into the
    // user's home, no driver threads left at exit.
    setenv("LP_NUM_THREADS", "0", 0);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    glfwSetErrorCallback(onGlfwError);
    // GLFW stays initialised until the process ends (the leak checker needs
    // the driver loaded). A busy X server may refuse a connection: retry.
    bool initialised = false;
    for (int attempt = 0; attempt < 5 && !initialised; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
        initialised = glfwInit() == GLFW_TRUE;
    }
    if (!initialised) {
        failReason_ = "cannot open X display " + std::string(display) + ": " + lastGlfwError();
        return;
    }
    window_ = createWindow(4, 3);
    if (!window_) window_ = createWindow(0, 0);  // what the driver offers
    if (!window_) {
        failReason_ = "no GL context on display " + std::string(display) + ": " + lastGlfwError();
        return;
    }
    glfwMakeContextCurrent(window_);
    if (!ko::gl::initLib()) failReason_ = "ko::gl::initLib failed on this context";
}

void GlTest::TearDownTestSuite() {
    if (window_) {
        glfwMakeContextCurrent(window_);
        ko::gl::releaseContextObjects();
        glfwDestroyWindow(window_);
        window_ = nullptr;
    }
}

void GlTest::SetUp() {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    ASSERT_TRUE(failReason_.empty()) << failReason_;
    glfwMakeContextCurrent(window_);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    clear(0, 0, 0, 1);
}

void GlTest::TearDown() {
    if (!window_ || !HasFailure()) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const Frame f = readFrame();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::create_directories(KOUI_GL_FAILURE_DIR);
    const std::string path =
        std::string(KOUI_GL_FAILURE_DIR) + "/" + info->test_suite_name() + "." + info->name() + ".png";
    if (writePng(path, f.width, f.height, f.rgba.data()))
        std::cerr << "frame of the failed test written to " << path << "\n";
}

glm::mat4 GlTest::projection() {
    return glm::ortho(0.0f, static_cast<float>(kWidth), static_cast<float>(kHeight), 0.0f, -1.0f, 1.0f);
}

void GlTest::clear(float r, float g, float b, float a) {
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Frame GlTest::readFrame(int x0, int y0, int w, int h, int framebufferHeight) {
    Frame frame;
    frame.width = w;
    frame.height = h;
    std::vector<uint8_t> bottomUp(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, framebufferHeight - y0 - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    frame.rgba.resize(bottomUp.size());
    const size_t row = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y) std::copy_n(&bottomUp[(h - 1 - y) * row], row, &frame.rgba[y * row]);
    return frame;
}

Rgba GlTest::pixel(int x, int y) {
    return readFrame(x, y, 1, 1).at(0, 0);
}

// Pixels of the rectangle that differ from `expected` by more than
// `tolerance` on red, green or blue; the first five go to `bad`.
static int differing(const Frame& f, int x, int y, Rgba expected, int tolerance, std::ostream* bad) {
    int count = 0;
    for (int j = 0; j < f.height; ++j)
        for (int i = 0; i < f.width; ++i) {
            const Rgba c = f.at(i, j);
            if (std::abs(c.r - expected.r) <= tolerance && std::abs(c.g - expected.g) <= tolerance &&
                std::abs(c.b - expected.b) <= tolerance)
                continue;
            if (++count <= 5 && bad) *bad << " (" << x + i << ", " << y + j << ")=" << c;
        }
    return count;
}

::testing::AssertionResult GlTest::regionIs(int x, int y, int w, int h, Rgba expected, int tolerance) {
    std::ostringstream bad;
    const int count = differing(readFrame(x, y, w, h), x, y, expected, tolerance, &bad);
    if (!count) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count << " pixels of (" << x << ", " << y << ", " << w << ", "
                                         << h << ") differ from " << expected << ":" << bad.str();
}

int GlTest::countDifferent(int x, int y, int w, int h, Rgba background, int tolerance) {
    return differing(readFrame(x, y, w, h), x, y, background, tolerance, nullptr);
}

}  // namespace koui::test
