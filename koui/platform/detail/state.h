// Internal state of the window-system layer, shared by its source files.
// Not part of the public interface; applications include the headers one
// folder up.
//
// One mutex (State::lock) guards everything here except the per-window
// context lock and the input snapshot (input.cpp). It is never held while a
// window procedure runs or while GLFW may block, so that a procedure may call
// back into the layer freely.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

struct GLFWwindow;

namespace koui::platform::detail {

using namespace koui::win32;

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
};

// Button-press bookkeeping for the hit test and the caption drag.
struct PointerDrag {
    LRESULT hit = HTNOWHERE;  // hit-test code of a non-client press, else HTNOWHERE
    int button = -1;          // GLFW button of that press
    bool moving = false;      // DefWindowProcA started a move/size drag
    POINT startCursor{};      // screen position of the press
    RECT startRect{};         // client rectangle (screen) at the press
};

struct WindowRecord {
    std::uintptr_t id = 0;
    GLFWwindow* glfw = nullptr;
    WindowClass cls;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    std::string title;
    LONG_PTR userData = 0;
    LONG_PTR wndProcOverride = 0;
    bool destroyStarted = false;  // DestroyWindow is sending its messages
    bool destroying = false;      // gone for every caller but the destroyer
    bool minMaxPending = false;   // size changed: ask WM_GETMINMAXINFO again

    // Geometry cache: callers on any thread read it instead of asking GLFW.
    // Client origin in screen coordinates and client size.
    int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
    // Decoration sizes reported by the window manager (0 without one).
    int frameL = 0, frameT = 0, frameR = 0, frameB = 0;
    bool visible = false;
    bool iconified = false;
    bool maximized = false;
    // Maximise done by this layer when no window manager can do it.
    bool ownMaximize = false;
    RECT normalRect{};  // outer rectangle in the restored state

    // Limits applied from the last WM_GETMINMAXINFO answer (client sizes).
    int minW = -1, minH = -1, maxW = -1, maxH = -1;

    PointerDrag drag;
    // Last press per button for double-click detection.
    DWORD lastClickTime = 0;
    int lastClickButton = -1;
    POINT lastClickPos{};

    // Framebuffer and context as made (read back once at creation).
    int fbColorBits = 0, fbAlphaBits = 0, fbDepthBits = 0, fbStencilBits = 0;
    bool fbDoubleBuffer = false;
    int glMajor = 0, glMinor = 0;

    // Serialises context use (make current, swap) with window destruction;
    // guards the fields below.
    std::mutex ctxLock;
    int pixelFormat = 0;  // 0 until SetPixelFormat
    bool swapIntervalSet = false;
    // The context is current on a thread other than the one destroying the
    // window: GLFW may only drop the window once that thread let go of it.
    bool current = false;
    std::thread::id currentOn;
    bool zombie = false;
};

// A message waiting in the window thread's queue.
struct QueuedMessage {
    QueuedMessage() = default;
    explicit QueuedMessage(const MSG& m) : msg(m) {}

    MSG msg{};
    std::uint64_t seq = 0;  // identity while the lock is dropped (set by enqueue)
    // A button press whose hit test has yet to be asked (GLFW button + 1).
    int pressButton = 0;
    // Release of a button; turned into a non-client release or swallowed when
    // its press was a non-client one.
    int releaseButton = 0;
    // Text typed with this key-down, as code points; TranslateMessage turns
    // it into WM_CHAR.
    std::u32string chars;
};

// A call that must run on the window thread, made from another thread.
struct WindowThreadTask {
    std::function<void()> work;
    bool started = false;
    bool done = false;
    bool cancelled = false;
};

struct State {
    std::mutex lock;
    std::condition_variable taskDone;

    bool glfwInitialised = false;
    bool glfwFailed = false;
    std::thread::id windowThread;
    bool haveWindowThread = false;

    std::map<std::string, WindowClass> classes;  // key: lower-case name
    std::unordered_map<std::uintptr_t, std::shared_ptr<WindowRecord>> windows;
    std::uintptr_t nextId = 1;

    std::deque<QueuedMessage> queue;
    std::uint64_t nextSeq = 1;
    // Text of key-down messages handed out, by MSG::lPrivate, until
    // TranslateMessage takes it (only the latest few are kept).
    std::map<DWORD, std::u32string> typedText;
    DWORD nextKeySerial = 1;
    bool quitPending = false;
    int quitCode = 0;

    std::deque<std::shared_ptr<WindowThreadTask>> tasks;
    // Destroyed windows whose context another thread still holds.
    std::vector<std::shared_ptr<WindowRecord>> zombies;

    HWND capture = nullptr;
    HWND focus = nullptr;
};

State& state();

// Handle <-> serial number.
inline HWND toHwnd(std::uintptr_t id) {
    return reinterpret_cast<HWND>(id);
}
inline std::uintptr_t fromHandle(const void* h) {
    return reinterpret_cast<std::uintptr_t>(h);
}

// The record of a live window, or null (caller holds State::lock).
std::shared_ptr<WindowRecord> findLocked(HWND hWnd);
// Same, taking the lock.
KOUI_API std::shared_ptr<WindowRecord> find(HWND hWnd);

// True on the thread that owns the windows. The first thread that needs GLFW
// (creating a window or pumping messages) becomes that thread.
bool onWindowThread();
// Initialises GLFW on the calling thread, which becomes the window thread.
// False when there is no display or the calling thread is not that thread.
bool ensureGlfw();

// Runs `work` on the window thread: at once when called there, otherwise
// queued for the window thread's next PeekMessageA (or a wait of its in
// WaitForSingleObject), waiting for it at most `timeoutMs`. False when it
// did not run.
bool runOnWindowThread(std::function<void()> work, unsigned timeoutMs = 10000);
// runOnWindowThread for a call with a result: the result of `f` with the
// error code it left, or `failValue` with ERROR_NOT_SUPPORTED when the window
// thread did not take the call in time.
template <class F, class R>
R callOnWindowThread(F f, R failValue) {
    R result = failValue;
    DWORD error = 0;
    if (!runOnWindowThread([&] {
            result = f();
            error = GetLastError();
        })) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return failValue;
    }
    SetLastError(error);
    return result;
}
// Hands `work` to the window thread and returns at once; the window thread
// runs it with the calls handed over before it, in order. False, leaving
// the work undone, when there is no window thread or the caller is that
// thread: the caller then does it itself.
bool postToWindowThread(std::function<void()> work);
// Runs queued cross-thread tasks (window thread only).
void runPendingTasks();

// Calls the window procedure of `hWnd` synchronously (window thread only);
// 0 for a window that is gone.
LRESULT sendToProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Appends a message to the window thread's queue and wakes the pump.
void enqueue(QueuedMessage m);
void wakePump();

// Milliseconds for MSG::time.
DWORD tickCount();

// GLFW callbacks of a new window (input.cpp).
void installInputCallbacks(GLFWwindow* w);
// Refreshes the cursor snapshot from GLFW (window thread only).
void refreshCursor();
// Forgets pressed keys and buttons when the focused window is destroyed
// (GLFW reports no releases for a window that is gone).
void inputWindowGone(HWND hWnd);
// A key message handed out to the window thread (input.cpp): its key state
// follows the messages read, as a Win32 thread's does.
void keyMessageRead(UINT msg, WPARAM vk);
// Sends WM_GETMINMAXINFO and applies the answer as GLFW size limits.
void applyMinMaxInfo(HWND hWnd);
// Moves or resizes a window being dragged by a non-client press (window
// thread, from the cursor callback).
KOUI_API void continueDrag(WindowRecord& w, POINT cursorScreen);
// Starts such a drag (DefWindowProcA on a non-client press).
KOUI_API void startDrag(HWND hWnd, LRESULT hit);

// Reads back the framebuffer and context version of a new window
// (gl_context.cpp; window thread).
void recordFramebuffer(WindowRecord& w);
// Frees the GLFW windows of zombies whose context was let go (window thread).
void reapZombies();
// Frees a destroyed window's GLFW window, or leaves it to reapZombies while
// another thread holds its context (window thread).
void releaseGlfwWindow(const std::shared_ptr<WindowRecord>& w);

// Outer rectangle of a window from its cached geometry.
RECT outerRect(const WindowRecord& w);

void setLastError(DWORD code);

// While one lives on the window thread, GLFW's "format unavailable" is not
// reported: asking for the clipboard's text when it holds none gives it.
struct QuietFormatErrors {
    QuietFormatErrors();
    ~QuietFormatErrors();
};

}  // namespace koui::platform::detail
