// A hidden window with a compatibility context, current on the calling
// thread, for the benchmarks that draw. Without an X display (or GL) it is
// not ok() and the benchmark skips itself.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

struct GLFWwindow;

namespace koui {
class Canvas;
class Instance;
}  // namespace koui

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

// A UI instance on a theme of its own, in a temporary folder holding
// `theme` as res.kor and the test font as Fonts/test.ttf, with one canvas.
// Needs a current GL context; the folder goes with the object.
class ThemedCanvas {
public:
    ThemedCanvas(const std::string& name, const char* theme);
    ~ThemedCanvas();
    ThemedCanvas(const ThemedCanvas&) = delete;
    ThemedCanvas& operator=(const ThemedCanvas&) = delete;

    bool ok() const;
    Instance& instance() { return *inst_; }
    Canvas* canvas() { return canvas_; }
    // One cycle: iterate and draw over (0, 0, width, height).
    void frame(int width, int height);

private:
    std::filesystem::path dir_;
    std::unique_ptr<Instance> inst_;
    Canvas* canvas_ = nullptr;
};

}  // namespace koui::bench
