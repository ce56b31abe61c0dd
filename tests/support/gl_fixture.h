// GlTest: one hidden GLFW window per suite, GL cycle state per test, pixel read-back.
// Skipped without a display; a failed test's frame goes to gl-failures/<suite>.<test>.png.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

struct GLFWwindow;

namespace koui::test {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgba& c);

// Pixels read back from GL, rows top first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    Rgba at(int x, int y) const;
};

class GlTest : public ::testing::Test {
public:
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 256;

protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static glm::mat4 projection();  // for calls that take an mvp
    static void clear(float r, float g, float b, float a = 1.0f);

    // Pixels x0 .. x0 + w - 1, y0 .. y0 + h - 1, counted from the top left,
    // of the bound read frame buffer (the window's unless a test binds
    // another, whose height `framebufferHeight` then is).
    static Frame readFrame(int x0 = 0, int y0 = 0, int w = kWidth, int h = kHeight,
                           int framebufferHeight = kHeight);
    static Rgba pixel(int x, int y);

    // Every pixel of the rectangle equals `expected` within `tolerance` on
    // red, green and blue (alpha is not compared: the window's frame buffer
    // may have none). On failure, names the first differing pixels.
    static ::testing::AssertionResult regionIs(int x, int y, int w, int h, Rgba expected, int tolerance = 0);
    // Number of pixels of the rectangle that differ from `background` by more
    // than `tolerance` on some colour channel.
    static int countDifferent(int x, int y, int w, int h, Rgba background, int tolerance = 0);

private:
    static GLFWwindow* window_;
    static std::string skipReason_;
    static std::string failReason_;
};

}  // namespace koui::test
