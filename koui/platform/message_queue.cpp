#include "koui/platform/message_queue.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <vector>

#include "koui/platform/detail/state.h"
#include "koui/platform/input.h"
#include "koui/platform/window.h"

namespace koui::win32 {

using namespace koui::platform::detail;

namespace {

constexpr DWORD kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 2;  // pixels either way
constexpr std::size_t kTypedTextKept = 64;

constexpr UINT kNcDown[3] = {WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
constexpr UINT kNcUp[3] = {WM_NCLBUTTONUP, WM_NCRBUTTONUP, WM_NCMBUTTONUP};
constexpr UINT kDblClk[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};

bool matches(const MSG& m, HWND hWnd, UINT lo, UINT hi) {
    if (hWnd && m.hwnd != hWnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

std::deque<QueuedMessage>::iterator bySeq(std::uint64_t seq) {
    auto& q = state().queue;
    for (auto it = q.begin(); it != q.end(); ++it)
        if (it->seq == seq) return it;
    return q.end();
}

bool isDoubleClick(WindowRecord& w, int button, const MSG& m) {
    bool dbl = (w.cls.style & CS_DBLCLKS) && w.lastClickButton == button &&
               m.time - w.lastClickTime <= kDoubleClickMs &&
               std::abs(m.pt.x - w.lastClickPos.x) <= kDoubleClickSlop &&
               std::abs(m.pt.y - w.lastClickPos.y) <= kDoubleClickSlop;
    // A double click starts a new pair: the third press is a plain one.
    w.lastClickButton = dbl ? -1 : button;
    w.lastClickTime = m.time;
    w.lastClickPos = m.pt;
    return dbl;
}

// Turns a raw button press into its final message by asking the window's
// hit test. Returns false when the press yields no message.
bool resolvePress(std::uint64_t seq) {
    MSG m;
    {
        std::lock_guard guard(state().lock);
        auto it = bySeq(seq);
        if (it == state().queue.end()) return false;
        m = it->msg;
    }
    LRESULT hit = sendToProc(m.hwnd, WM_NCHITTEST, 0, MAKELPARAM(m.pt.x, m.pt.y));
    std::lock_guard guard(state().lock);
    auto it = bySeq(seq);
    auto w = findLocked(m.hwnd);
    if (it == state().queue.end()) return false;
    if (!w || hit == HTNOWHERE || hit == HTTRANSPARENT || hit == HTERROR) {
        state().queue.erase(it);
        return false;
    }
    int button = it->pressButton - 1;
    it->pressButton = 0;
    if (hit == HTCLIENT) {
        w->drag.hit = HTNOWHERE;
        if (isDoubleClick(*w, button, m)) it->msg.message = kDblClk[button];
        return true;
    }
    w->drag = PointerDrag{hit, button, false, m.pt, {}};
    it->msg.message = kNcDown[button];
    it->msg.wParam = static_cast<WPARAM>(hit);
    it->msg.lParam = MAKELPARAM(m.pt.x, m.pt.y);
    return true;
}

// The release of a non-client press ends its drag (and is swallowed, as
// Win32's move loop swallows it) or becomes a non-client release.
bool resolveRelease(std::uint64_t seq) {
    std::shared_ptr<WindowRecord> dragged;
    POINT at{};
    {
        std::lock_guard guard(state().lock);
        auto it = bySeq(seq);
        if (it == state().queue.end()) return false;
        int button = it->releaseButton - 1;
        it->releaseButton = 0;
        auto w = findLocked(it->msg.hwnd);
        if (!w || w->drag.button != button || w->drag.hit == HTNOWHERE) return true;
        if (w->drag.moving) {
            dragged = w;
            at = it->msg.pt;
            state().queue.erase(it);
        } else {
            it->msg.message = kNcUp[button];
            it->msg.wParam = static_cast<WPARAM>(w->drag.hit);
            it->msg.lParam = MAKELPARAM(it->msg.pt.x, it->msg.pt.y);
            w->drag = PointerDrag{};
            return true;
        }
    }
    continueDrag(*dragged, at);
    std::lock_guard guard(state().lock);
    dragged->drag = PointerDrag{};
    return false;
}

// Work of the window thread before it looks at the queue.
void pump() {
    runPendingTasks();
    reapZombies();
    glfwPollEvents();
    refreshCursor();
    std::vector<HWND> pending;
    {
        std::lock_guard guard(state().lock);
        for (auto& [id, w] : state().windows)
            if (w->minMaxPending && !w->destroying) pending.push_back(toHwnd(id));
    }
    for (HWND h : pending) applyMinMaxInfo(h);
}

}  // namespace

BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    POINT pt;
    GetCursorPos(&pt);
    enqueue(QueuedMessage{MSG{hWnd, msg, wParam, lParam, tickCount(), pt, 0}});
    return 1;
}

BOOL PeekMessageA(MSG* out, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!out) return 0;
    {
        auto& s = state();
        std::lock_guard guard(s.lock);
        if (s.haveWindowThread && s.windowThread != std::this_thread::get_id()) return 0;
    }
    // Without a display there is no input, but posted messages still flow.
    if (ensureGlfw()) pump();

    for (;;) {
        std::unique_lock guard(state().lock);
        auto& s = state();
        auto it = s.queue.begin();
        while (it != s.queue.end() && !matches(it->msg, hWnd, filterMin, filterMax)) ++it;
        if (it == s.queue.end()) {
            bool quitWanted =
                filterMin == 0 && filterMax == 0 ? true : WM_QUIT >= filterMin && WM_QUIT <= filterMax;
            if (!s.quitPending || !quitWanted) return 0;
            *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, tickCount(), {}, 0};
            if (removeMsg & PM_REMOVE) s.quitPending = false;
            return 1;
        }
        std::uint64_t seq = it->seq;
        if (it->pressButton || it->releaseButton) {
            bool press = it->pressButton != 0;
            guard.unlock();
            press ? resolvePress(seq) : resolveRelease(seq);
            continue;  // look again: the entry may have changed or gone
        }
        *out = it->msg;
        if (removeMsg & PM_REMOVE) {
            keyMessageRead(it->msg.message, it->msg.wParam);
            if (!it->chars.empty()) {
                s.typedText[it->msg.lPrivate] = std::move(it->chars);
                while (s.typedText.size() > kTypedTextKept) s.typedText.erase(s.typedText.begin());
            }
            s.queue.erase(it);
        }
        return 1;
    }
}

BOOL WaitMessage() {
    if (!ensureGlfw()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    for (;;) {
        runPendingTasks();
        {
            std::lock_guard guard(state().lock);
            if (!state().queue.empty() || state().quitPending) return 1;
        }
        // Input arrives through the callbacks; PostMessageA and calls handed
        // over from other threads post an empty event that ends the wait.
        glfwWaitEvents();
    }
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return 0;
    std::u32string text;
    {
        std::lock_guard guard(state().lock);
        auto it = state().typedText.find(msg->lPrivate);
        if (it != state().typedText.end()) {
            text = std::move(it->second);
            state().typedText.erase(it);
        }
    }
    UINT charMsg = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    std::lock_guard guard(state().lock);
    auto& q = state().queue;
    // The characters come next, ahead of what was queued after the key.
    for (auto c = text.rbegin(); c != text.rend(); ++c) {
        QueuedMessage m{MSG{msg->hwnd, charMsg, static_cast<WPARAM>(*c), msg->lParam & 0xffffffff, msg->time,
                            msg->pt, 0}};
        m.seq = state().nextSeq++;
        q.push_front(std::move(m));
    }
    return 1;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return sendToProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return callOnWindowThread([&] { return sendToProc(hWnd, msg, wParam, lParam); }, LRESULT{0});
}

void PostQuitMessage(int exitCode) {
    {
        std::lock_guard guard(state().lock);
        state().quitPending = true;
        state().quitCode = exitCode;
    }
    wakePump();
}

}  // namespace koui::win32
