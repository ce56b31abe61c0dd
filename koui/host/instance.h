// koui::Instance: the UI host of one window.
//
// It owns the window's resource instance and classic resource manager, holds
// the window's canvases, carries the queue of messages that elements post to
// one another, and watches the resource files from a background thread so
// that the GL thread can reload styles between cycles. The GL worker creates
// one instance with CreateInstance, one canvas with CreateCanvas, and then
// calls Iterate and Draw once per cycle.
//
// Ownership. The instance creates and owns `rm` (constructor) and
// `resInstance` (glCreate) and deletes both in its destructor, which must
// therefore run on the GL thread with the context current (both hold GL
// objects). Canvases are not owned: whoever called CreateCanvas deletes them,
// before the instance. Messages still queued at destruction are dropped.
//
// Reloads. When the watcher has seen a change, the next Iterate reloads and
// every canvas's tree reads its styles again. Style values whose keys have
// vanished keep their last value, except image handles: a replaced resource
// tree takes its image nodes with it, so every element's `styleImage` is
// emptied before the re-read.
//
// Watching. The watcher sleeps on the kernel's file notifications for the
// resource folder (platform::FolderWatch) and looks at the files as soon as
// one is saved; it still looks every kNotifiedPollMs (or watchIntervalMs,
// when longer) for file systems that do not notify. Where notifications
// cannot be used (an archive, no inotify, the watch limit reached, a watch
// that broke) it polls every watchIntervalMs instead, as it always did; the
// environment variable KOUI_WATCH_POLL=1 forces that polling.
//
// A failed first load. The resource instance watches nothing until it has
// loaded once, yet a theme that is broken (or missing) at start-up is the one
// its author is about to fix, in res.kor or in an image it names. So while
// the first load has not succeeded, the watcher also compares the folder's
// entries and their write times with those it saw last; on a difference the
// next Iterate loads the main file again, printing its errors as glCreate
// does, until a load succeeds and the usual reloading takes over.
//
// Waking the window. A change seen by the watcher and a message queued
// between elements call the wake function the window gave (setWake), so
// that a window drawing on demand draws the next cycle; takeFrameDue tells
// it when the canvases want their next frame.
//
// Stopping. The watcher thread is kept joinable rather than detached: the
// destructor clears RES_WATCHING, wakes the watcher from its pause and
// joins it before anything it reads is released.
//
// Threads. The GL thread calls everything except Queue and setWake, which
// any thread may call (msgLock guards msgQueue, wakeLock the wake function). The watcher thread calls only
// the resource instance's change checks and sets bits of `resFlags`, an atomic word whose bits change by
// single atomic read-modify-write operations.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <glm/vec2.hpp>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "koui/export.h"
#include "koui/host/log_obj.h"
#include "koui/ui/events.h"

// The two window-system types of this interface, declared as the window
// layer declares them (koui/platform/win32_types.h) so that this header
// stays free of that layer and mixes with headers that define handle types
// of their own.
namespace koui::win32 {
struct HWND__;
using HWND = HWND__*;
using DWORD = std::uint32_t;
}  // namespace koui::win32

namespace koui {

namespace res {
class Instance;
}
namespace platform {
class FolderWatch;
}
class Canvas;
class Div;
class RM;

class KOUI_API Instance : public ko::log::Obj {
public:
    enum : uint32_t { RES_WATCHING = 0x1, RES_CHANGED = 0x2 };
    static constexpr int kWatchIntervalMs = 250;
    // The slow look of a watcher that has file notifications.
    static constexpr int kNotifiedPollMs = 2000;

    Instance();
    ~Instance() override;
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;
    const char* logObjName() override { return "koui::Instance"; }
    virtual glm::vec2 getCursorPos();

    bool glCreate(std::string resDir, std::string archivePath, std::string rootFile, win32::HWND wnd);
    int Iterate(int x, int y, int w, int h);
    int Draw();
    Canvas* CreateCanvas();
    // Index 0: the first non-null canvas; every other index gives null.
    Canvas* GetCanvas(int index);
    bool Queue(Div* from, Div* to, win32::DWORD id, const std::string& str, void* ptr1, win32::DWORD num1,
               void* ptr2, win32::DWORD num2);
    win32::HWND getWndHandler() { return hWnd; }
    void setViewport(int x, int y, int w, int h);
    // Number of messages waiting (for tests and diagnostics).
    size_t queuedCount();
    // Drops the waiting messages that would reach `d` or delete it; Div's
    // destructor calls it so that no queued entry outlives its element.
    void forget(Div* d);
    // The function that wakes the window's GL thread (null: none). Called
    // from the watcher thread and from Queue's caller's thread.
    void setWake(std::function<void()> fn);
    // When the next cycle is wanted, in Canvas::monotonicSeconds: at once
    // (0) while messages or a resource change wait or the classic resources
    // are still loading, else the earliest frame
    // a canvas asked for, +infinity when nothing is wanted. Forgets the
    // canvases' requests.
    double takeFrameDue();
    // Whether the watcher sleeps on file notifications (false: it polls).
    bool watchesByNotification() const { return notified.load(); }

    RM* rm = nullptr;
    double rmProgress = 0;
    std::vector<Canvas*> canvases;
    int32_t viewport[4] = {0, 0, 0, 0};
    win32::HWND hWnd = nullptr;
    std::atomic<uint32_t> resFlags{0};
    // How often the watcher thread looks at the resource files; lower it for
    // a quicker pickup of edits (a live preview, a soak run).
    std::atomic<int> watchIntervalMs{kWatchIntervalMs};
    res::Instance* resInstance = nullptr;
    std::deque<e_msg> msgQueue;  // a deque: delivery takes from the front
    std::mutex msgLock;

private:
    void resInstance_CWorker();
    void deliver(e_msg& m);
    void reloadResources();
    bool failedFolderChanged();
    void stopWatcher();
    void wake();

    std::thread watcher;
    std::mutex watchLock;  // pairs with watchWake for the watcher's pause
    std::condition_variable watchWake;
    std::unique_ptr<platform::FolderWatch> folderWatch;  // made before the watcher starts
    std::atomic<bool> notified{false};
    // The resource folder while the first load has not succeeded (set by
    // glCreate before the watcher starts; empty: the load succeeded or
    // nothing is watched), and its entries as the watcher last saw them (the
    // watcher's own).
    std::string failedFolder;
    std::map<std::string, std::filesystem::file_time_type> failedEntries;
    std::mutex wakeLock;
    std::function<void()> wakeFn;  // guarded by wakeLock
};

// The factory of the GL worker: resolves `resDir` and `archivePath` to full
// paths, appends "/" to the folder when it lacks one, and runs glCreate.
// Null only when allocation fails.
KOUI_API Instance* CreateInstance(std::string resDir, std::string archivePath, std::string rootFile,
                                  win32::HWND hWnd);

}  // namespace koui
