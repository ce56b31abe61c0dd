// koui::app::Window: one top-level (or child) window whose whole content is
// drawn with OpenGL by a worker thread of its own.
//
// Two threads meet here. The window thread (the one that pumps messages
// through WindowManager::iterate) runs WndProc: it answers the few messages
// that need an answer at once, lets the application element and the
// application's callback see every message first, and copies the rest into
// `glMsgQueue`. The GL worker owns the context, the UI instance and the
// canvas; once per cycle it drains the queue into pointer, key and character
// events, iterates and draws the element tree and swaps buffers. The only
// data the two share are the queue (guarded by `glMsgLock`), `glState`
// (atomic), and the three pointers `instance`, `canvas` and `appDiv`, which
// are atomic because the worker (or an application callback on it) sets them
// while the window thread may read them.
//
// Start-up on the worker: the context made current, ko::gl::initLib, which
// loads the GL entry points through GLEW on it (the worker does not call
// glewInit a second time), "gl.start", the instance, the canvas.
//
// Life: Create -> WM_NCCREATE (the manager binds the window, stores hWnd)
// -> WM_CREATE (device context, Start_GL) -> worker: context, instance,
// canvas, cycles -> WM_CLOSE (user, Escape or a posted message): Stop_GL,
// DestroyWindow -> WM_DESTROY: PostQuitMessage(0).
//
// Teardown. After its last cycle the worker sends "gl.finish" and then, on
// its own thread with the context still current, deletes what it made: the
// canvas with its element tree (the application element included when it
// was added to the canvas), then the UI instance, which stops and joins its
// resource watcher and frees the resource tree, its textures and fonts and
// the classic resource manager; then the programs and vertex array that
// the drawing layers made for this context; last it lets go of the context. `instance`
// and `canvas` are null afterwards, and so is `appDiv` when it was part of
// the deleted tree. The window thread is parked in Stop_GL meanwhile, so no
// window hook can reach the application element while it goes.
//
// A window that is destroyed without WM_CLOSE (DestroyWindow,
// WindowManager::Destroy or DestroyAll) stops its worker in WM_DESTROY, so
// that the teardown above runs while the window and its context still exist.
//
// Frame pacing (`frameLimitMs`). A cycle with no limiter of its own starts
// the next one as soon as SwapBuffers returns; setting `frameLimitMs` to 0
// gives exactly that. The default differs: every cycle is capped at
// kFramePeriodMs (one 60 Hz refresh), counted from the cycle's start, the
// worker sleeping out what is left after the swap. The context is made with
// swap interval 1, so behind a display that honours it the swap waits for
// the vertical blank and the period is used up without a sleep. A virtual X
// server has no vertical blank: its swap only copies the frame (which can
// itself take several milliseconds for a large window on a software
// rasteriser, so the swap's own duration says nothing about whether it
// waited), and without the cap an idle window would redraw as fast as it
// can and burn a core. With it an idle window costs its drawing time 60
// times a second. Applications that measure their raw frame rate, or pace
// themselves, set 0.
//
// Drawing on demand (setDrawOnDemand; off by default). Off, the worker runs
// cycle after cycle as described above, whether anything changed or not. On,
// after each cycle it sleeps until a next one is wanted, and skips iterate,
// draw and swap meanwhile: a message for the GL thread (input, size, focus,
// expose), wake() (work posted by the application layer, a --frames run), a
// resource change seen by the watcher, a message queued between elements, a
// stop, or the time an element asked for with Canvas::requestFrame (a
// blinking caret asks for its next toggle, an eased opacity for the next
// frame while it moves). What a cycle draws is the same either way; an
// unchanged window just costs nothing. An element whose look changes with
// time alone must ask for its frames, or it shows its change only at the
// next input.
//
// Stopping. Stop_GL waits for the worker at most `stopTimeoutMs` (30 s).
// After such a wait has run out the window is destroyed anyway, and nothing
// waits for that worker a second time: neither WM_DESTROY nor the
// destructor nor delete.
//
// Deletion. The destructor does not destroy the native window, as close or
// Destroy does that; but it never leaves anything that points at the freed
// object: a worker that still runs is stopped (one wait, unless a wait has
// already run out), the native window (when it still exists) is unbound so
// that later messages get the default handling, and the window leaves its
// manager's list. A worker that cannot be stopped would go on using the
// object, so `delete` on such a window logs an error and keeps the window
// alive (neither destroyed nor freed); deleting it again after its worker has
// finished frees it. Only `delete` can keep it: a Window that is not on the
// heap and goes out of scope under a running worker is destroyed, with the
// same error logged.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <new>
#include <string>

#include "koui/app/e_wndmsg.h"
#include "koui/export.h"
#include "koui/host/log_obj.h"
#include "koui/platform/win32_types.h"

namespace koui {
class Instance;
class Canvas;
}  // namespace koui

namespace koui::app {

class AppDiv;
class WindowManager;

// States of Window::glState.
enum : uint32_t {
    GL_IDLE = 0,
    GL_STARTING = 1,
    GL_RUNNING = 2,
    GL_STOPPING = 3,
    GL_FINISHED = 100,
};

class KOUI_API Window : public ko::log::Obj {
public:
    using WndMsgCallback = std::function<bool(e_wndmsg&)>;
    using UIEventCallback = std::function<void(const std::string&)>;

    // Longest wait of Stop_GL for the worker, in milliseconds (the default
    // of `stopTimeoutMs`).
    static constexpr win32::DWORD kStopTimeoutMs = 30000;
    // Default shortest cycle (`frameLimitMs`): one 60 Hz refresh.
    static constexpr double kFramePeriodMs = 1000.0 / 60.0;
    // A rest shorter than this is not slept: behind a 60 Hz display the swap
    // ends the period itself, give or take the timer's jitter.
    static constexpr double kPaceSlackMs = 0.5;

    Window();
    Window(Window* parent, const std::string& name, int x, int y, int w, int h, win32::DWORD style,
           win32::DWORD exStyle, WndMsgCallback wndMsgCB, UIEventCallback uiEventCB);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Stops a running worker (see Deletion above) before the destructor
    // runs, and keeps the window when the worker does not end.
    static void operator delete(Window* window, std::destroying_delete_t);

    const char* logObjName() override { return "koui::app::Window"; }

    bool Create(Window* parent, const std::string& name, int x, int y, int w, int h, win32::DWORD style,
                win32::DWORD exStyle, WndMsgCallback wndMsgCB, UIEventCallback uiEventCB,
                const char* className);
    void Destroy();

    win32::HGLRC glCreateContext();
    win32::HGLRC glGetContext() { return hGLRC; }
    bool glMakeCurrent();
    void glSwap();

    // Queues a message for the worker and wakes it.
    bool addTo_GL_MsgQueue(const e_wndmsg& m);
    // Drawing on demand (see above); may be switched while the window runs.
    void setDrawOnDemand(bool on);
    bool drawsOnDemand() const { return onDemand.load(); }
    // Asks a worker drawing on demand for one more cycle (one cycle for any
    // number of calls before it starts). Any thread.
    void wake();
    // Cycles drawn and swapped so far.
    uint64_t framesDrawn() const { return frames.load(); }
    bool Start_GL();
    bool Stop_GL();
    unsigned int GL_Worker();
    static win32::DWORD GL_Worker_(void* window);
    void UIEvent(const std::string& event);

    Instance* getInstance() { return instance.load(); }
    Canvas* getCanvas() { return canvas.load(); }
    AppDiv* getAppDiv() { return appDiv.load(); }
    void setAppDiv(AppDiv* d) { appDiv.store(d); }
    win32::HWND getHWnd() { return hWnd; }
    win32::HDC getDC() { return hDC; }
    const std::string& getName() { return name; }
    bool isName(std::string n) { return name == n; }
    WindowManager* getWindowManager() { return windowManager; }
    void setWindowManager(WindowManager* m) { windowManager = m; }
    uint32_t getGLState() const { return glState.load(); }

    // Members, public as the application sets some of them directly
    // (`compileResArchive`, `resArchivePath` before the window is created).
    std::atomic<Instance*> instance{nullptr};
    std::atomic<Canvas*> canvas{nullptr};
    std::atomic<AppDiv*> appDiv{nullptr};
    UIEventCallback uiEventCB;
    std::deque<e_wndmsg> glMsgQueue;
    std::mutex glMsgLock;
    win32::HANDLE glThread = nullptr;
    std::atomic<uint32_t> glState{GL_IDLE};
    // When set, the worker packs the resource folder into the archive at
    // `resArchivePath` and keeps it; otherwise it removes that file first,
    // so that the window works from the folder and watches it.
    bool compileResArchive = false;
    std::string resArchivePath = "res.koc";
    // Added so that an application need not change its working folder: the
    // resource folder the worker's UI instance reads (relative paths are
    // taken from the working folder, as before); an empty `resArchivePath`
    // means no archive, and then nothing is removed; with `readResArchive`
    // set the archive is read as it is, neither packed nor removed.
    std::string resFolder = "resdata";
    bool readResArchive = false;
    // Shortest cycle in milliseconds; 0 turns the limiter off. Read by the
    // worker every cycle, so it may be changed while the window runs.
    std::atomic<double> frameLimitMs{kFramePeriodMs};
    // Whether the canvas had a pop-up open (a quick menu) at the end of the
    // worker's last iterate. While it is set, Escape is not the window's
    // close key: it goes to the focus element like any key, so that it
    // closes the pop-up instead of the window. The flag may lag the canvas by
    // one cycle, so an Escape in the very cycle a menu opens still closes the
    // window, and one in the cycle a menu closes reaches the focus element.
    std::atomic<bool> popupOpen{false};
    // Called on the worker right after each swap returns (the application
    // layer times its first frame with it). Set before the window is made.
    std::function<void()> afterSwap;
    // Longest wait of Stop_GL for the worker.
    win32::DWORD stopTimeoutMs = kStopTimeoutMs;
    win32::HWND hWnd = nullptr;
    win32::HDC hDC = nullptr;
    win32::HGLRC hGLRC = nullptr;
    std::string name;
    WindowManager* windowManager = nullptr;
    WndMsgCallback wndMsgCB;
    int32_t mouseCaptured = 0;

protected:
    friend class WindowManager;
    bool setHWnd(win32::HWND h);
    win32::LRESULT WndProc(win32::HWND h, win32::UINT msg, win32::WPARAM wParam, win32::LPARAM lParam);

    // Ctrl, Shift and Alt as MOD_* bits, from GetKeyState of the calling
    // thread (on the window thread: as the messages read so far have them).
    static uint32_t heldModifiers();

private:
    // True while a worker thread exists that has not finished.
    bool workerActive();
    // Stops a worker that is still active unless a wait for it has already
    // run out; true when no worker runs afterwards.
    bool stopOnce();

    // Set when a wait of Stop_GL ran out: nothing waits for that worker again.
    std::atomic<bool> stopGaveUp{false};

    // Drawing on demand: the worker sleeps on wakeCv until wakePending, a
    // stop, continuous drawing or the frame the canvases asked for.
    std::atomic<bool> onDemand{false};
    std::atomic<uint64_t> frames{0};
    std::mutex wakeLock;
    std::condition_variable wakeCv;
    bool wakePending = false;  // guarded by wakeLock

    // Window procedure steps that may end the handling; each returns true
    // with `out` set when it does.
    bool hookAppDiv(e_wndmsg& m, win32::LRESULT& out);
    bool hookCallback(e_wndmsg& m, win32::LRESULT& out);
    bool hookHitTest(const e_wndmsg& m, win32::LRESULT& out);
    bool hookMinMaxInfo(const e_wndmsg& m, win32::LRESULT& out);
    void trackCapture(win32::UINT msg);
    win32::LRESULT finalHandling(const e_wndmsg& m);

    // GL worker parts.
    bool createUI();
    void removeStaleArchive();
    void cycle();
    void drainMessages();
    void dispatchMouse(Canvas* c, const e_wndmsg& m);
    void paceFrame(double cycleStartMs);
    void sleepUntilWanted();
    void teardown();
};

}  // namespace koui::app
