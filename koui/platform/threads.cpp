#include "koui/platform/threads.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "koui/platform/detail/state.h"

namespace koui::win32 {

namespace {

struct ThreadObject {
    std::mutex lock;
    std::condition_variable changed;
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    DWORD suspendCount = 0;
    bool started = false;  // tid is known
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    pid_t tid = 0;
    int priority = THREAD_PRIORITY_NORMAL;
    int baseNice = 0;  // nice value inherited from the creating thread
};

// Handles are serial numbers; the table keeps the objects alive until
// CloseHandle, the running thread keeps its own reference.
std::mutex tableLock;
std::unordered_map<std::uintptr_t, std::shared_ptr<ThreadObject>> table;
std::uintptr_t nextHandle = 0x1000;

std::shared_ptr<ThreadObject> lookup(HANDLE h) {
    std::lock_guard guard(tableLock);
    auto it = table.find(reinterpret_cast<std::uintptr_t>(h));
    return it == table.end() ? nullptr : it->second;
}

void* threadMain(void* arg) {
    std::shared_ptr<ThreadObject> t(*static_cast<std::shared_ptr<ThreadObject>*>(arg));
    delete static_cast<std::shared_ptr<ThreadObject>*>(arg);
    {
        std::unique_lock guard(t->lock);
        t->tid = static_cast<pid_t>(syscall(SYS_gettid));
        t->started = true;
        t->changed.notify_all();
        t->changed.wait(guard, [&] { return t->suspendCount == 0; });
    }
    DWORD code = t->start(t->parameter);
    std::lock_guard guard(t->lock);
    t->exitCode = code;
    t->finished = true;
    t->changed.notify_all();
    return nullptr;
}

// Nice offsets relative to the thread's inherited nice value, as Win32
// priorities are relative to the process's priority class.
int niceOffset(int priority) {
    switch (priority) {
        case THREAD_PRIORITY_IDLE:
            return 19;
        case THREAD_PRIORITY_LOWEST:
            return 10;
        case THREAD_PRIORITY_BELOW_NORMAL:
            return 5;
        case THREAD_PRIORITY_NORMAL:
            return 0;
        case THREAD_PRIORITY_ABOVE_NORMAL:
            return -5;
        case THREAD_PRIORITY_HIGHEST:
            return -10;
        case THREAD_PRIORITY_TIME_CRITICAL:
            return -20;
        default:
            return 100;  // not a priority
    }
}

}  // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES*, std::size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, DWORD* threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto t = std::make_shared<ThreadObject>();
    t->start = start;
    t->parameter = parameter;
    t->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
    t->baseNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize > 0) pthread_attr_setstacksize(&attr, std::max<std::size_t>(stackSize, PTHREAD_STACK_MIN));
    pthread_t id;
    auto* arg = new std::shared_ptr<ThreadObject>(t);
    int rc = pthread_create(&id, &attr, &threadMain, arg);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete arg;
        SetLastError(rc == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Wait for the thread id, so that priorities can be set at once.
    {
        std::unique_lock guard(t->lock);
        t->changed.wait(guard, [&] { return t->started; });
        if (threadId) *threadId = static_cast<DWORD>(t->tid);
    }
    std::lock_guard guard(tableLock);
    std::uintptr_t h = nextHandle++;
    table[h] = t;
    return reinterpret_cast<HANDLE>(h);
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
    auto t = lookup(thread);
    int offset = niceOffset(priority);
    if (!t || offset == 100) {
        SetLastError(t ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    std::lock_guard guard(t->lock);
    t->priority = priority;
    if (t->finished) return 1;
    int nice = std::clamp(t->baseNice + offset, -20, 19);
    // Raising needs CAP_SYS_NICE; without it the thread keeps the default
    // priority and the call still succeeds (see the header). Lowering is
    // always allowed, so a failure there is real.
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(t->tid), nice) != 0 && offset > 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return 1;
}

int GetThreadPriority(HANDLE thread) {
    auto t = lookup(thread);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    std::lock_guard guard(t->lock);
    return t->priority;
}

DWORD ResumeThread(HANDLE thread) {
    auto t = lookup(thread);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0xFFFFFFFF;
    }
    std::lock_guard guard(t->lock);
    DWORD previous = t->suspendCount;
    if (t->suspendCount > 0 && --t->suspendCount == 0) t->changed.notify_all();
    return previous;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto t = lookup(handle);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    bool forever = milliseconds == INFINITE;
    auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    // The window thread keeps serving calls handed to it by other threads
    // (the awaited thread may be waiting for one), so it waits in slices.
    bool serve = koui::platform::detail::onWindowThread();
    auto slice = std::chrono::milliseconds(serve ? 5 : 100);
    for (;;) {
        if (serve) koui::platform::detail::runPendingTasks();
        std::unique_lock guard(t->lock);
        auto until = forever ? Clock::now() + slice : std::min(deadline, Clock::now() + slice);
        if (t->changed.wait_until(guard, until, [&] { return t->finished; })) return WAIT_OBJECT_0;
        if (!forever && Clock::now() >= deadline) return WAIT_TIMEOUT;
    }
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    auto t = lookup(thread);
    if (!t || !exitCode) {
        SetLastError(t ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    std::lock_guard guard(t->lock);
    *exitCode = t->exitCode;
    return 1;
}

BOOL CloseHandle(HANDLE handle) {
    std::lock_guard guard(tableLock);
    if (table.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return 1;
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace koui::win32

namespace koui::platform {

void setCurrentThreadName(const char* name) {
    char shortName[16] = {};
    std::strncpy(shortName, name ? name : "", sizeof shortName - 1);
    pthread_setname_np(pthread_self(), shortName);
}

}  // namespace koui::platform
