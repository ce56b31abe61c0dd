#include "bench/gl_window.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

#include "koui/family/gl_init.h"

namespace koui::bench {

GlWindow::GlWindow(int size, const char* title) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || !glfwInit()) return;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_COMPAT_PROFILE);
    window_ = glfwCreateWindow(size, size, title, nullptr, nullptr);
    if (!window_) return;
    glfwMakeContextCurrent(window_);
    glfwSwapInterval(0);  // frames are timed, never paced
    if (!ko::gl::initLib()) {
        glfwDestroyWindow(window_);
        window_ = nullptr;
    }
}

GlWindow::~GlWindow() {
    if (window_) glfwDestroyWindow(window_);
    glfwTerminate();
}

}  // namespace koui::bench
