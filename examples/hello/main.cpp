// hello: the smallest complete application of the toolkit.
//
// It shows the shape every application has: one window manager on the main
// thread, a window whose GL worker builds the element tree once its canvas
// exists ("canvas.created"), and a message pump that runs until the window
// is closed (close box, Escape, or the close panel). The look comes from
// resdata/res.kor and changes while the program runs when that file does.
// See options.h for the command line.
#include <GL/glew.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "hello_app.h"
#include "koui/app/win_placement.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/png_encoder.h"
#include "koui/host/canvas.h"
#include "koui/host/log_sink.h"
#include "koui/host/offscreen.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "options.h"
#include "run_folder.h"

namespace {

constexpr int kDefaultX = 80, kDefaultY = 60, kDefaultW = 760, kDefaultH = 372;

std::string exeDir(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0, ec);
    return self.parent_path().string();
}

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Milliseconds since the kernel started this process: its start time in
// /proc/self/stat (clock ticks since boot, so 10 ms steps) against the
// boot-time clock. -1 when that cannot be read.
double msSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');  // the command name may hold blanks
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) {
            timespec now{};
            clock_gettime(CLOCK_BOOTTIME, &now);
            const double startS = std::stod(field) / double(sysconf(_SC_CLK_TCK));
            return (double(now.tv_sec) + now.tv_nsec * 1e-9 - startS) * 1000.0;
        }
    return -1;
}

// What the GL worker's UI-event callback does, apart from building the tree:
// counts drawn cycles, reports the first swap, and at cycle `frames` writes
// the screenshot and asks the window to close.
struct CycleWatch {
    const hello::Options& opts;
    koui::app::Window& window;
    hello::HelloApp& app;
    int cycles = 0;            // GL thread only
    std::atomic<int> shot{0};  // 1 written, -1 failed

    void onFinish() {
        if (++cycles != opts.frames) return;
        if (!opts.screenshot.empty()) shot = capture() ? 1 : -1;
        app.postWindowMsg(WM_CLOSE, 0, 0);
    }
    // The first swap has returned when the second cycle starts.
    void onStart() {
        if (cycles != 1 || !opts.timing) return;
        std::printf("first-swap %lld %.1f\n", static_cast<long long>(monotonicNs()), msSinceProcessStart());
        std::fflush(stdout);
    }
    bool capture() {
        RECT r{};
        GetClientRect(window.getHWnd(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        // Read before the swap: the back buffer holds the frame just drawn.
        glReadBuffer(GL_BACK);
        const std::vector<uint8_t> rgba = koui::readPixels(w, h);
        return !rgba.empty() && ko::png::writePng(opts.screenshot, w, h, rgba.data());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const auto opts = hello::parseOptions(argc, argv, exeDir(argv[0]));
    if (!opts) return 2;
    // The screenshot path is taken before the working folder changes.
    hello::Options o = *opts;
    if (!o.screenshot.empty()) o.screenshot = std::filesystem::absolute(o.screenshot).string();
    o.placement = std::filesystem::absolute(o.placement).string();
    ko::log::setTimeBaseNow();
    if (!o.log.empty() && !ko::log::openFile(o.log)) {
        std::fprintf(stderr, "hello: cannot write the log file %s\n", o.log.c_str());
        return 1;
    }

    hello::RunFolder folder;
    std::string error;
    if (!folder.enter(o.resDir, error)) {
        std::fprintf(stderr, "hello: %s\n", error.c_str());
        return 1;
    }

    koui::app::WindowManager manager;
    koui::app::WinPlacement place(o.placement);
    const bool usePlace = !o.fixedPlace && std::filesystem::exists(o.placement);
    const int x = usePlace ? place.getX() : kDefaultX, y = usePlace ? place.getY() : kDefaultY;
    const int w = usePlace ? place.getWidth() : kDefaultW, h = usePlace ? place.getHeight() : kDefaultH;

    koui::app::Window window;
    auto* app = new hello::HelloApp;  // joins the canvas's tree, which owns it
    app->setWindow(&window);
    window.setAppDiv(app);
    CycleWatch watch{o, window, *app};

    auto onWndMsg = [&](koui::app::e_wndmsg& m) {
        if (m.msg == WM_CLOSE && !o.fixedPlace) {
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(o.placement).parent_path(), ec);
            place.fill(m.hWnd);
            place.save();
        }
        return false;  // the window goes on with its own handling
    };
    auto onUiEvent = [&](const std::string& event) {
        if (event == "canvas.created")
            app->Create("app", window.getCanvas(), 0, 0, 0, 0, nullptr, 0, "hello.app");
        else if (event == "gl.cycle.start")
            watch.onStart();
        else if (event == "gl.cycle.finish")
            watch.onFinish();
    };
    if (!window.Create(nullptr, "hello", x, y, w, h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, onWndMsg, onUiEvent,
                       nullptr)) {
        std::fprintf(stderr, "hello: cannot open a window (is there an X display?)\n");
        window.setAppDiv(nullptr);
        delete app;  // never joined a tree
        return 1;
    }
    if (usePlace && place.getShow() == SW_SHOWMAXIMIZED) ShowWindow(window.getHWnd(), SW_MAXIMIZE);

    // The pump never blocks; between rounds the thread sleeps until the
    // window system has something for it.
    while (manager.iterate()) WaitMessage();

    if (!o.screenshot.empty()) {
        if (watch.shot.load() != 1) {
            std::fprintf(stderr, "hello: the screenshot could not be written to %s\n", o.screenshot.c_str());
            return 1;
        }
        std::printf("screenshot: %s\n", o.screenshot.c_str());
    }
    return 0;
}
