#include "koui/platform/detail/state.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "koui/platform/system.h"

using namespace koui::win32;

namespace koui::platform::detail {

State& state() {
    // Never destroyed: worker threads may still post while the process exits.
    static State* s = new State;
    return *s;
}

std::shared_ptr<WindowRecord> findLocked(HWND hWnd) {
    auto& s = state();
    auto it = s.windows.find(fromHandle(hWnd));
    if (it == s.windows.end() || it->second->destroying) return nullptr;
    return it->second;
}

std::shared_ptr<WindowRecord> find(HWND hWnd) {
    std::lock_guard guard(state().lock);
    return findLocked(hWnd);
}

bool onWindowThread() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    return s.haveWindowThread && s.windowThread == std::this_thread::get_id();
}

namespace {
thread_local bool quietFormatErrors = false;
}

QuietFormatErrors::QuietFormatErrors() {
    quietFormatErrors = true;
}
QuietFormatErrors::~QuietFormatErrors() {
    quietFormatErrors = false;
}

static void reportGlfwError(int code, const char* text) {
    if (code == GLFW_FORMAT_UNAVAILABLE && quietFormatErrors) return;
    char line[512];
    std::snprintf(line, sizeof line, "[ERROR] window system: %s (GLFW error 0x%x)", text ? text : "", code);
    koui::platform::reportError(line);
}

bool ensureGlfw() {
    auto& s = state();
    {
        std::lock_guard guard(s.lock);
        if (s.haveWindowThread && s.windowThread != std::this_thread::get_id()) return false;
        if (s.glfwInitialised) return true;
        if (s.glfwFailed) return false;
    }
    glfwSetErrorCallback(&reportGlfwError);
    bool ok = glfwInit() == GLFW_TRUE;
    // A display that is named but refuses the connection may be starting up
    // or momentarily overloaded: try a few more times before giving up.
    const char* display = std::getenv("DISPLAY");
    for (int attempt = 0; !ok && display && *display && attempt < 5; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ok = glfwInit() == GLFW_TRUE;
    }
    std::lock_guard guard(s.lock);
    s.glfwInitialised = ok;
    s.glfwFailed = !ok;
    if (ok) {
        s.windowThread = std::this_thread::get_id();
        s.haveWindowThread = true;
    }
    return ok;
}

void wakePump() {
    bool ready;
    {
        std::lock_guard guard(state().lock);
        ready = state().glfwInitialised;
    }
    // glfwPostEmptyEvent may be called from any thread once GLFW is up.
    if (ready) glfwPostEmptyEvent();
}

bool runOnWindowThread(std::function<void()> work, unsigned timeoutMs) {
    auto& s = state();
    std::unique_lock guard(s.lock);
    if (!s.haveWindowThread || s.windowThread == std::this_thread::get_id()) {
        guard.unlock();
        work();
        return true;
    }
    auto task = std::make_shared<WindowThreadTask>();
    task->work = std::move(work);
    s.tasks.push_back(task);
    guard.unlock();
    wakePump();
    guard.lock();
    bool finished =
        s.taskDone.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return task->done; });
    if (finished) return true;
    if (!task->started) {
        // Never ran: withdraw it so that it cannot run after we gave up.
        task->cancelled = true;
        return false;
    }
    // Already running on the window thread: its effects must be waited for.
    s.taskDone.wait(guard, [&] { return task->done; });
    return true;
}

bool postToWindowThread(std::function<void()> work) {
    auto& s = state();
    {
        std::lock_guard guard(s.lock);
        if (!s.haveWindowThread || s.windowThread == std::this_thread::get_id()) return false;
        auto task = std::make_shared<WindowThreadTask>();
        task->work = std::move(work);
        s.tasks.push_back(std::move(task));
    }
    wakePump();
    return true;
}

void runPendingTasks() {
    auto& s = state();
    for (;;) {
        std::shared_ptr<WindowThreadTask> task;
        {
            std::lock_guard guard(s.lock);
            while (!s.tasks.empty() && !task) {
                task = s.tasks.front();
                s.tasks.pop_front();
                if (task->cancelled) task.reset();
            }
            if (!task) return;
            task->started = true;
        }
        task->work();
        {
            std::lock_guard guard(s.lock);
            task->done = true;
        }
        s.taskDone.notify_all();
    }
}

LRESULT sendToProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        std::lock_guard guard(state().lock);
        auto& s = state();
        auto it = s.windows.find(fromHandle(hWnd));
        if (it == s.windows.end()) return 0;
        const auto& w = *it->second;
        proc = w.wndProcOverride ? reinterpret_cast<WNDPROC>(w.wndProcOverride) : w.cls.proc;
    }
    return proc ? proc(hWnd, msg, wParam, lParam) : 0;
}

DWORD tickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void enqueue(QueuedMessage m) {
    bool fromWindowThread;
    {
        auto& s = state();
        std::lock_guard guard(s.lock);
        m.seq = s.nextSeq++;
        s.queue.push_back(std::move(m));
        fromWindowThread = s.haveWindowThread && s.windowThread == std::this_thread::get_id();
    }
    // The window thread is not waiting while it adds messages itself.
    if (!fromWindowThread) wakePump();
}

RECT outerRect(const WindowRecord& w) {
    return RECT{w.clientX - w.frameL, w.clientY - w.frameT, w.clientX + w.clientW + w.frameR,
                w.clientY + w.clientH + w.frameB};
}

void setLastError(DWORD code) {
    SetLastError(code);
}

}  // namespace koui::platform::detail
