// A hidden window with a compatibility context, current on the calling
// thread, for the benchmarks that draw. Without an X display (or GL) it is
// not ok() and the benchmark skips itself.
#pragma once

struct GLFWwindow;

namespace koui::bench {

class GlWindow {
public:
    GlWindow(int size, const char* title);
    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    bool ok() const { return window_ != nullptr; }

private:
    GLFWwindow* window_ = nullptr;
};

}  // namespace koui::bench
