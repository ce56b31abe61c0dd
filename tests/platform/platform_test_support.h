// Window-system test helpers: a recording window procedure and a pump that waits.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "tests/support/x_display.h"

namespace koui::test {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// Every message that reached recordingProc, in order (other threads may look).
class MessageLog {
public:
    void add(const Seen& s) {
        std::lock_guard guard(lock_);
        seen_.push_back(s);
    }
    std::vector<Seen> all() const {
        std::lock_guard guard(lock_);
        return seen_;
    }
    std::vector<Seen> only(UINT msg) const {
        std::vector<Seen> out;
        for (const auto& s : all())
            if (s.msg == msg) out.push_back(s);
        return out;
    }
    bool has(UINT msg) const { return !only(msg).empty(); }
    // The message numbers, in order.
    std::vector<UINT> msgs() const {
        std::vector<UINT> out;
        for (const auto& s : all()) out.push_back(s.msg);
        return out;
    }
    void clear() {
        std::lock_guard guard(lock_);
        seen_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<Seen> seen_;
};

inline MessageLog& log() {
    static MessageLog l;
    return l;
}

// Optional per-test hook: returns true when it answered the message.
using Hook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;
inline Hook& procHook() {
    static Hook hook;
    return hook;
}

inline LRESULT recordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    log().add(Seen{h, m, w, l, std::this_thread::get_id()});
    LRESULT r = 0;
    if (procHook() && procHook()(h, m, w, l, r)) return r;
    return DefWindowProcA(h, m, w, l);
}

constexpr const char* kClass = "koui-test-window";

// Registers a class of recordingProc (a second registration fails harmlessly).
inline void registerTestClass(const char* name = kClass, UINT style = 0) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &recordingProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

// Left, top, right and bottom, to compare a rectangle in one assertion.
inline std::array<LONG, 4> edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Runs the pump as WindowManager::iterate does until `done` holds or time is up.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Dispatches whatever is queued now.
inline void drain() {
    pumpUntil([] { return true; }, 0);
}

// The test class registered, empty queue and log, no hook; `make`'s windows destroyed after.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        KOUI_REQUIRE_DISPLAY();
        registerTestClass();
        drain();
        log().clear();
        procHook() = nullptr;
    }
    void TearDown() override {
        procHook() = nullptr;
        for (HWND h : made_)
            if (IsWindow(h)) DestroyWindow(h);
        drain();
    }
    HWND make(DWORD style = WS_POPUP | WS_VISIBLE, int x = 100, int y = 80, int w = 300, int h = 200,
              LPVOID param = nullptr, const char* title = "koui platform test") {
        HWND hwnd = CreateWindowExA(0, kClass, title, style, x, y, w, h, nullptr, nullptr, nullptr, param);
        if (hwnd) made_.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> made_;
};

}  // namespace koui::test
