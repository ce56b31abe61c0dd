#include "koui/app/app.h"

#include <GL/glew.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/png_encoder.h"
#include "koui/host/log_sink.h"
#include "koui/host/offscreen.h"
#include "koui/platform/message_queue.h"
#include "koui/platform/window.h"

using namespace koui::win32;
namespace fs = std::filesystem;

namespace koui {

namespace {

std::string programFolder(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec && argv0) self = fs::absolute(argv0, ec);
    return self.parent_path().string();
}

// A window name as a file name: letters, digits, '.', '-' and '_' kept,
// anything else '_'.
std::string fileNameOf(const std::string& name) {
    std::string out = name.empty() ? "window" : name;
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
    return out;
}

fs::path configFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home) return fs::path(home) / ".config";
    return {};
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

}  // namespace

App::App(std::string name, int argc, char** argv, const std::vector<std::string>& extraOptions)
    : name_(std::move(name)), programFolder_(programFolder(argc > 0 ? argv[0] : nullptr)) {
    ko::log::setTimeBaseNow();
    std::string error;
    if (!options_.parse(argc, argv, extraOptions, error)) {
        std::string usage = "usage: " + name_ + " " + AppOptions::kUsage;
        for (const auto& o : extraOptions) usage += " [" + o + " VALUE]";
        std::fprintf(stderr, "%s: %s\n%s\n", name_.c_str(), error.c_str(), usage.c_str());
        startError_ = 2;
        return;
    }
    std::error_code ec;
    resources_ = options_.resources.empty() ? (fs::path(programFolder_) / "resdata").string()
                                            : fs::absolute(options_.resources, ec).string();
    if (!options_.placement.empty()) options_.placement = fs::absolute(options_.placement, ec).string();
    if (!options_.screenshot.empty()) options_.screenshot = fs::absolute(options_.screenshot, ec).string();
    if (!options_.log.empty() && !ko::log::openFile(options_.log)) {
        std::fprintf(stderr, "%s: cannot write the log file %s\n", name_.c_str(), options_.log.c_str());
        startError_ = 1;
        return;
    }
    manager_ = std::make_unique<app::WindowManager>();
}

App::~App() {
    if (manager_) manager_->DestroyAll();
    windows_.clear();
    manager_.reset();
}

std::optional<std::string> App::option(const std::string& key) const {
    auto it = options_.extra.find(key);
    if (it == options_.extra.end()) return std::nullopt;
    return it->second;
}

std::vector<AppWindow*> App::windows() const {
    std::vector<AppWindow*> out;
    for (const auto& w : windows_)
        if (w->isOpen()) out.push_back(w.get());
    return out;
}

std::string App::resolveResources(const std::string& given) const {
    if (given.empty()) return resources_;
    const fs::path p(given);
    return (p.is_absolute() ? p : fs::path(programFolder_) / p).lexically_normal().string();
}

std::string App::placementFile(const WindowConfig& config) const {
    if (!config.keepPlacement) return {};
    if (windows_.empty() && !options_.placement.empty()) return options_.placement;
    if (options_.frames > 0) return {};  // headless runs do not depend on earlier ones
    const fs::path base = configFolder();
    if (base.empty()) return {};
    return (base / fileNameOf(name_) / (fileNameOf(config.name) + ".ini")).string();
}

AppWindow* App::open(const WindowConfig& config, AppWindow::BuildCallback build) {
    if (startError_) return nullptr;
    const std::string resources = resolveResources(config.resources);
    std::error_code ec;
    std::string problem;
    if (fs::is_directory(resources, ec)) {
        if (!fs::is_regular_file(fs::path(resources) / "res.kor", ec))
            problem = "no res.kor in the resource folder " + resources;
    } else if (!fs::is_regular_file(resources, ec)) {
        problem = "resource folder not found: " + resources;
    }
    if (problem.empty()) {
        const std::string placement = placementFile(config);
        const int index = static_cast<int>(windows_.size());
        std::unique_ptr<AppWindow> w(new AppWindow(*this, config, std::move(build), index));
        if (w->create(resources, placement)) {
            windows_.push_back(std::move(w));
            return windows_.back().get();
        }
        problem = "cannot open the window \"" + config.name + "\" (is there an X display?)";
    }
    std::fprintf(stderr, "%s: %s\n", name_.c_str(), problem.c_str());
    return nullptr;
}

bool App::anyOpen() const {
    for (const auto& w : windows_)
        if (w->isOpen()) return true;
    return false;
}

void App::post(std::function<void()> fn) {
    {
        std::lock_guard guard(postLock_);
        posted_.push_back(std::move(fn));
    }
    PostMessageA(nullptr, WM_NULL, 0, 0);  // wakes the pump
}

void App::runPosted() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard guard(postLock_);
        work.swap(posted_);
    }
    for (auto& fn : work) fn();
}

void App::quit(int code) {
    exitCode_ = code;
    quitting_ = true;
    post([this] {
        for (const auto& w : windows_) w->close();
    });
}

int App::run() {
    if (startError_) return startError_;
    if (!anyOpen()) {
        std::fprintf(stderr, "%s: no window is open\n", name_.c_str());
        return 1;
    }
    for (;;) {
        manager_->iterate();  // false once per closed window (its WM_QUIT): the others go on
        runPosted();
        if (!anyOpen()) break;
        WaitMessage();
    }
    if (!options_.screenshot.empty()) {
        if (screenshot_.load() != 1) {
            std::fprintf(stderr, "%s: the screenshot could not be written to %s\n", name_.c_str(),
                         options_.screenshot.c_str());
            return 1;
        }
        std::printf("screenshot: %s\n", options_.screenshot.c_str());
    }
    return exitCode_.load();
}

void App::onFirstSwap() {
    if (!options_.timing) return;
    std::printf("first-swap %lld %.1f\n", static_cast<long long>(monotonicNs()), msSinceProcessStart());
    std::fflush(stdout);
}

void App::onFrameOfFirstWindow(AppWindow& w, int cycle) {
    if (cycle != options_.frames) return;
    if (!options_.screenshot.empty()) screenshot_ = writeScreenshot(w) ? 1 : -1;
    quit(exitCode_.load());
}

// GL thread, before the swap: the back buffer holds the frame just drawn.
bool App::writeScreenshot(AppWindow& w) {
    RECT r{};
    GetClientRect(w.window().getHWnd(), &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    glReadBuffer(GL_BACK);
    const std::vector<uint8_t> rgba = readPixels(width, height);
    return !rgba.empty() && ko::png::writePng(options_.screenshot, width, height, rgba.data());
}

}  // namespace koui
