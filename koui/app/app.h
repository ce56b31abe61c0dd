// koui::App: the application layer. One object per program that opens
// windows, builds their element trees in a callback, reacts to clicks, keys
// and closing through typed callbacks, and runs the message pump until the
// last window has closed:
//
//     int main(int argc, char** argv) {
//         koui::App app("hello", argc, argv);
//         app.open({"hello", 760, 372, "hello.app"},
//                  [](koui::Div& root) { koui::add(root, "info", "hello.info"); });
//         return app.run();
//     }
//
// It sits on the window classes (WindowManager, Window, AppDiv,
// WinPlacement), which stay available for what it does not cover.
//
// Command line. The constructor reads the options every program of the
// toolkit shares (App::kUsage); options the application declares itself
// (`extraOptions`, each taking one value) are kept for it (`option`).
// A wrong command line prints the usage and makes run() return 2.
//
// Resources. Each window reads its look from a resource folder (or a
// resource archive): WindowConfig::resources, or else the application's
// folder, which is `--res DIR` or "resdata" beside the program. A relative
// path in WindowConfig is taken from the program's folder, `--res` from the
// working folder at start; the working folder is never changed and nothing
// is written into the resource folder.
//
// Placement. A window's place and size are kept between runs in
// $XDG_CONFIG_HOME/<application>/<window>.ini (else ~/.config/...), unless
// WindowConfig::keepPlacement is false. `--placement FILE` names the file of
// the first window. A run with `--frames` uses the placement only when
// `--placement` is given, so that screenshots do not depend on earlier runs.
//
// Headless runs. `--frames N` closes every window after the first window's
// N-th drawn cycle; `--screenshot FILE.png` writes that frame of the first
// window first (N defaults to 30), and run() fails when it could not.
// `--timing` prints "first-swap <CLOCK_MONOTONIC ns> <ms since the process
// started>" as soon as the first window's first swap has returned (also
// with --frames 1). A window drawing on demand
// (WindowConfig::drawOnDemand) keeps drawing until the N-th frame of
// --frames, so the count is of frames really drawn. `--log FILE`
// writes the library's log lines to FILE.
//
// Threads. The App and its AppWindow handles belong to the thread that made
// the App (the window thread), apart from what app_window.h names as safe
// from anywhere. Build, click and key callbacks run on the window's GL
// thread; close callbacks and work given to App::post on the window thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "koui/app/app_options.h"
#include "koui/app/app_window.h"
#include "koui/export.h"

namespace koui {

namespace app {
class WindowManager;
}

class KOUI_API App {
public:
    // `name` names the application in messages and in the placement folder.
    App(std::string name, int argc, char** argv, const std::vector<std::string>& extraOptions = {});
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Opens a window and builds its tree with `build` on the window's GL
    // thread once its canvas exists. Null, with a message on stderr, when
    // the resources are missing or the window cannot be made; nothing of
    // that window is left behind then.
    AppWindow* open(const WindowConfig& config, AppWindow::BuildCallback build = {});

    // Pumps messages until every window has closed (or quit() was called)
    // and returns the exit code: 0, the code given to quit(), 1 when a
    // screenshot was asked for and not written or no window was opened, 2
    // after a wrong command line.
    int run();

    // Closes every window; run() then returns `code`. Any thread.
    void quit(int code = 0);
    // Runs `fn` on the window thread during run(). Any thread.
    void post(std::function<void()> fn);

    const std::string& name() const { return name_; }
    const AppOptions& options() const { return options_; }
    // The value of a declared extra option, if given.
    std::optional<std::string> option(const std::string& key) const;
    // The application's resource folder (absolute).
    const std::string& resourceFolder() const { return resources_; }
    // The windows still open, in the order they were opened.
    std::vector<AppWindow*> windows() const;

private:
    friend class AppWindow;
    std::string placementFile(const WindowConfig& config) const;
    std::string resolveResources(const std::string& given) const;
    void runPosted();
    bool anyOpen() const;
    // GL thread of the first window.
    void onFirstSwap();
    void onFrameOfFirstWindow(AppWindow& w, int cycle);
    bool writeScreenshot(AppWindow& w);

    std::string name_;
    AppOptions options_;
    int startError_ = 0;  // what run() returns when the start failed
    std::string programFolder_;
    std::string resources_;
    std::unique_ptr<app::WindowManager> manager_;
    std::vector<std::unique_ptr<AppWindow>> windows_;
    mutable std::mutex postLock_;
    std::vector<std::function<void()>> posted_;
    std::atomic<int> exitCode_{0};
    std::atomic<bool> quitting_{false};  // close callbacks are not asked then
    std::atomic<int> screenshot_{0};     // 1 written, -1 failed
};

}  // namespace koui
