#include "bench/gl_window.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "koui/family/context_objects.h"
#include "koui/family/gl_init.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"
#include "tests/support/test_font.h"

namespace koui::bench {

namespace {

// GLFW stays initialised from the first window to the end of the process.
// Terminating it after each window closed the X connection, and the next
// window's new connection was now and then refused ("Failed to open display")
// while the server was still finishing with the old one: a benchmark's
// second window failed to open.
bool glfwReady() {
    static const bool ready = [] {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || !glfwInit()) return false;
        std::atexit(glfwTerminate);
        return true;
    }();
    return ready;
}

}  // namespace

GlWindow::GlWindow(int size, const char* title) {
    if (!glfwReady()) return;
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
    // The programs and vertex array made for this context are kept by
    // context address; a later window's context may get the same address,
    // and would then be handed these dead objects.
    if (!window_) return;
    ko::gl::releaseContextObjects();
    glfwDestroyWindow(window_);
}

ThemedCanvas::ThemedCanvas(const std::string& name, const char* theme)
    : dir_(std::filesystem::temp_directory_path() / ("koui_" + name + "_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_ / "Fonts");
    std::filesystem::copy_file(koui::test::kTestFontPath, dir_ / "Fonts/test.ttf",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(dir_ / "res.kor", std::ios::binary) << theme;
    inst_.reset(koui::CreateInstance(dir_.string(), "", "res.kor", nullptr));
    canvas_ = inst_->CreateCanvas();
}

ThemedCanvas::~ThemedCanvas() {
    delete canvas_;  // before the instance, whose messages its elements forget
    inst_.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

bool ThemedCanvas::ok() const {
    return inst_ && inst_->resInstance && inst_->resInstance->isOK();
}

void ThemedCanvas::frame(int width, int height) {
    inst_->Iterate(0, 0, width, height);
    inst_->Draw();
}

}  // namespace koui::bench
