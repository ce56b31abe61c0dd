// Helpers of the window tests: working folder, log lines, event records, pump.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "koui/app/app_div.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/host/canvas.h"
#include "koui/host/log_sink.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "tests/res/test_files.h"
#include "tests/support/x_display.h"

namespace koui::test {

// Strings recorded from any thread.
class Record {
public:
    void add(const std::string& s) {
        std::lock_guard guard(lock_);
        items_.push_back(s);
    }
    std::vector<std::string> all() const {
        std::lock_guard guard(lock_);
        return items_;
    }
    int count(const std::string& s) const { return static_cast<int>(std::ranges::count(all(), s)); }
    bool has(const std::string& s) const { return count(s) > 0; }

private:
    mutable std::mutex lock_;
    std::vector<std::string> items_;
};

// Every line of the log sink while alive, without its "%12.3f " time stamp.
class LogLines : public Record {
public:
    LogLines() {
        ko::log::setCallback([this](const char* line) { add(std::strlen(line) > 13 ? line + 13 : line); });
    }
    ~LogLines() { ko::log::setCallback(nullptr); }
    LogLines(const LogLines&) = delete;
    LogLines& operator=(const LogLines&) = delete;

    bool hasPrefix(const std::string& prefix) const {
        return std::ranges::any_of(all(), [&](const std::string& t) { return t.starts_with(prefix); });
    }
};

// Records the events reaching it as text and accepts them all.
class Recorder : public Div {
public:
    explicit Recorder(Record* r) : record(r) {}
    bool OnMTEvent(e_mtevent* e) override {
        if (e->type == MT_MOVE) return false;
        record->add("mt " + std::to_string(e->type) + " " + std::to_string(int(e->canvasPos[0])) + " " +
                    std::to_string(int(e->canvasPos[1])) + " z " + std::to_string(int(e->canvasPos[2])) +
                    " mods " + std::to_string(e->mods));
        return true;
    }
    bool OnKeyEvent(e_keyevent* e) override {
        record->add("key " + std::to_string(e->key) + " " + std::to_string(e->ch));
        return true;
    }
    bool OnCharEvent(e_charevent* e) override {
        record->add("char " + std::to_string(e->ch));
        return true;
    }
    Record* record;
};

// A working folder holding "resdata/res.kor", made current (the window's resource paths are relative).
class WorkDir : public TempDir {
public:
    WorkDir() : TempDir("app"), previous_(std::filesystem::current_path()) {
        std::filesystem::create_directories(path() / "resdata");
        std::ofstream(path() / "resdata" / "res.kor") << "theme {\n  back: #202428\n}\n";
        std::filesystem::current_path(path());
    }
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }

private:
    std::filesystem::path previous_;
};

// Pumps the manager until `done` holds or time is up; counts iterate's false results in `quits`.
inline bool pumpUntil(app::WindowManager& wm, const std::function<bool()>& done, int timeoutMs = 10000,
                      int* quits = nullptr) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!wm.iterate() && quits) ++*quits;
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

constexpr DWORD kPopup = WS_POPUP | WS_VISIBLE;

// The manager's log line for each WM_QUIT: its text is 100 bytes wide.
inline const std::string kQuitLine = "koui::app::WindowManager : - QUIT " + std::string(93, '-');

// One open window of a test with what reached it.
struct Opened {
    std::unique_ptr<app::Window> window = std::make_unique<app::Window>();
    Record events;  // UI events, in order
    Record input;   // element events of the Recorder over the canvas
    std::atomic<int> cycles{0};
    // Runs on the GL thread right after the Recorder was added.
    std::function<void(app::Window*)> onCanvas;
    // Runs on the GL thread at "gl.cycle.finish", before the swap.
    std::function<void(app::Window*)> onCycleEnd;
};

// Base fixture: a display, a working folder, the log, one manager.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        KOUI_REQUIRE_DISPLAY();
        work = std::make_unique<WorkDir>();
        logs = std::make_unique<LogLines>();
        wm = std::make_unique<app::WindowManager>();
    }
    void TearDown() override {
        // Windows still open are closed the way an application would.
        for (auto& o : opened)
            if (o->window && o->window->getHWnd() && IsWindow(o->window->getHWnd()))
                wm->Destroy(o->window.get());
        pumpUntil(
            *wm, [] { return false; }, 50);
        opened.clear();
        wm.reset();
        logs.reset();
        work.reset();
    }

    // A window whose UI events are recorded, with a Recorder over its canvas.
    Opened& open(const std::string& name, int x = 40, int y = 40, int w = 200, int h = 150,
                 std::function<bool(app::e_wndmsg&)> wndMsgCB = nullptr,
                 const std::function<void(Opened&)>& setup = nullptr) {
        opened.push_back(std::make_unique<Opened>());
        Opened* o = opened.back().get();
        app::Window* win = o->window.get();
        // Hooks are set before the worker exists, as it reads them.
        if (setup) setup(*o);
        auto onEvent = [o, win, w, h](const std::string& e) {
            o->events.add(e);
            if (e == "canvas.created") {
                auto* r = new Recorder(&o->input);
                // Larger than the window: presses at negative client positions find it.
                r->Create("recorder", win->getCanvas(), -100, -100, w + 200, h + 200, nullptr, DIV_UNCLAMPED,
                          "");
                r->dSetFocus();  // keys and characters go to the focus
                if (o->onCanvas) o->onCanvas(win);
            } else if (e == "gl.cycle.finish") {
                if (o->onCycleEnd) o->onCycleEnd(win);
                ++o->cycles;
            }
        };
        win->Create(nullptr, name, x, y, w, h, kPopup, 0, std::move(wndMsgCB), onEvent, nullptr);
        return *o;
    }
    bool waitCycles(Opened& o, int n, int timeoutMs = 10000) {
        return pumpUntil(
            *wm, [&] { return o.cycles.load() >= n; }, timeoutMs);
    }
    // Posts WM_CLOSE and returns how many quits iterate reported (1 unless the window stayed).
    int closeAndPump(HWND h) {
        PostMessageA(h, WM_CLOSE, 0, 0);
        return pumpQuits(1);
    }
    int pumpQuits(int n, int timeoutMs = 10000) {
        int quits = 0;
        pumpUntil(
            *wm, [&] { return quits >= n; }, timeoutMs, &quits);
        return quits;
    }

    std::unique_ptr<WorkDir> work;
    std::unique_ptr<LogLines> logs;
    std::unique_ptr<app::WindowManager> wm;
    std::vector<std::unique_ptr<Opened>> opened;
};

}  // namespace koui::test
