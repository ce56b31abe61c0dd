#include "koui/platform/input.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <array>
#include <atomic>
#include <cmath>

#include "koui/platform/detail/geometry.h"
#include "koui/platform/window.h"

namespace koui::win32 {

using namespace koui::platform::detail;

namespace {

// One row per GLFW key: its virtual key, set-1 scan code, whether that scan
// code is an extended one, and the unshifted character of a US layout.
struct KeyRow {
    int glfw;
    int vk;
    BYTE scan;
    bool extended;
    char ch;
};

constexpr KeyRow kKeys[] = {
    {GLFW_KEY_SPACE, VK_SPACE, 0x39, false, ' '},
    {GLFW_KEY_APOSTROPHE, VK_OEM_7, 0x28, false, '\''},
    {GLFW_KEY_COMMA, VK_OEM_COMMA, 0x33, false, ','},
    {GLFW_KEY_MINUS, VK_OEM_MINUS, 0x0C, false, '-'},
    {GLFW_KEY_PERIOD, VK_OEM_PERIOD, 0x34, false, '.'},
    {GLFW_KEY_SLASH, VK_OEM_2, 0x35, false, '/'},
    {GLFW_KEY_0, '0', 0x0B, false, '0'},
    {GLFW_KEY_1, '1', 0x02, false, '1'},
    {GLFW_KEY_2, '2', 0x03, false, '2'},
    {GLFW_KEY_3, '3', 0x04, false, '3'},
    {GLFW_KEY_4, '4', 0x05, false, '4'},
    {GLFW_KEY_5, '5', 0x06, false, '5'},
    {GLFW_KEY_6, '6', 0x07, false, '6'},
    {GLFW_KEY_7, '7', 0x08, false, '7'},
    {GLFW_KEY_8, '8', 0x09, false, '8'},
    {GLFW_KEY_9, '9', 0x0A, false, '9'},
    {GLFW_KEY_SEMICOLON, VK_OEM_1, 0x27, false, ';'},
    {GLFW_KEY_EQUAL, VK_OEM_PLUS, 0x0D, false, '='},
    {GLFW_KEY_A, 'A', 0x1E, false, 'A'},
    {GLFW_KEY_B, 'B', 0x30, false, 'B'},
    {GLFW_KEY_C, 'C', 0x2E, false, 'C'},
    {GLFW_KEY_D, 'D', 0x20, false, 'D'},
    {GLFW_KEY_E, 'E', 0x12, false, 'E'},
    {GLFW_KEY_F, 'F', 0x21, false, 'F'},
    {GLFW_KEY_G, 'G', 0x22, false, 'G'},
    {GLFW_KEY_H, 'H', 0x23, false, 'H'},
    {GLFW_KEY_I, 'I', 0x17, false, 'I'},
    {GLFW_KEY_J, 'J', 0x24, false, 'J'},
    {GLFW_KEY_K, 'K', 0x25, false, 'K'},
    {GLFW_KEY_L, 'L', 0x26, false, 'L'},
    {GLFW_KEY_M, 'M', 0x32, false, 'M'},
    {GLFW_KEY_N, 'N', 0x31, false, 'N'},
    {GLFW_KEY_O, 'O', 0x18, false, 'O'},
    {GLFW_KEY_P, 'P', 0x19, false, 'P'},
    {GLFW_KEY_Q, 'Q', 0x10, false, 'Q'},
    {GLFW_KEY_R, 'R', 0x13, false, 'R'},
    {GLFW_KEY_S, 'S', 0x1F, false, 'S'},
    {GLFW_KEY_T, 'T', 0x14, false, 'T'},
    {GLFW_KEY_U, 'U', 0x16, false, 'U'},
    {GLFW_KEY_V, 'V', 0x2F, false, 'V'},
    {GLFW_KEY_W, 'W', 0x11, false, 'W'},
    {GLFW_KEY_X, 'X', 0x2D, false, 'X'},
    {GLFW_KEY_Y, 'Y', 0x15, false, 'Y'},
    {GLFW_KEY_Z, 'Z', 0x2C, false, 'Z'},
    {GLFW_KEY_LEFT_BRACKET, VK_OEM_4, 0x1A, false, '['},
    {GLFW_KEY_BACKSLASH, VK_OEM_5, 0x2B, false, '\\'},
    {GLFW_KEY_RIGHT_BRACKET, VK_OEM_6, 0x1B, false, ']'},
    {GLFW_KEY_GRAVE_ACCENT, VK_OEM_3, 0x29, false, '`'},
    {GLFW_KEY_ESCAPE, VK_ESCAPE, 0x01, false, 27},
    {GLFW_KEY_ENTER, VK_RETURN, 0x1C, false, 13},
    {GLFW_KEY_TAB, VK_TAB, 0x0F, false, 9},
    {GLFW_KEY_BACKSPACE, VK_BACK, 0x0E, false, 8},
    {GLFW_KEY_INSERT, VK_INSERT, 0x52, true, 0},
    {GLFW_KEY_DELETE, VK_DELETE, 0x53, true, 0},
    {GLFW_KEY_RIGHT, VK_RIGHT, 0x4D, true, 0},
    {GLFW_KEY_LEFT, VK_LEFT, 0x4B, true, 0},
    {GLFW_KEY_DOWN, VK_DOWN, 0x50, true, 0},
    {GLFW_KEY_UP, VK_UP, 0x48, true, 0},
    {GLFW_KEY_PAGE_UP, VK_PRIOR, 0x49, true, 0},
    {GLFW_KEY_PAGE_DOWN, VK_NEXT, 0x51, true, 0},
    {GLFW_KEY_HOME, VK_HOME, 0x47, true, 0},
    {GLFW_KEY_END, VK_END, 0x4F, true, 0},
    {GLFW_KEY_CAPS_LOCK, VK_CAPITAL, 0x3A, false, 0},
    {GLFW_KEY_SCROLL_LOCK, VK_SCROLL, 0x46, false, 0},
    {GLFW_KEY_NUM_LOCK, VK_NUMLOCK, 0x45, true, 0},
    {GLFW_KEY_PRINT_SCREEN, VK_SNAPSHOT, 0x37, true, 0},
    {GLFW_KEY_PAUSE, VK_PAUSE, 0x45, false, 0},
    {GLFW_KEY_F1, VK_F1 + 0, 0x3B, false, 0},
    {GLFW_KEY_F2, VK_F1 + 1, 0x3C, false, 0},
    {GLFW_KEY_F3, VK_F1 + 2, 0x3D, false, 0},
    {GLFW_KEY_F4, VK_F1 + 3, 0x3E, false, 0},
    {GLFW_KEY_F5, VK_F1 + 4, 0x3F, false, 0},
    {GLFW_KEY_F6, VK_F1 + 5, 0x40, false, 0},
    {GLFW_KEY_F7, VK_F1 + 6, 0x41, false, 0},
    {GLFW_KEY_F8, VK_F1 + 7, 0x42, false, 0},
    {GLFW_KEY_F9, VK_F1 + 8, 0x43, false, 0},
    {GLFW_KEY_F10, VK_F1 + 9, 0x44, false, 0},
    {GLFW_KEY_F11, VK_F1 + 10, 0x57, false, 0},
    {GLFW_KEY_F12, VK_F1 + 11, 0x58, false, 0},
    {GLFW_KEY_KP_0, VK_NUMPAD0 + 0, 0x52, false, '0'},
    {GLFW_KEY_KP_1, VK_NUMPAD0 + 1, 0x4F, false, '1'},
    {GLFW_KEY_KP_2, VK_NUMPAD0 + 2, 0x50, false, '2'},
    {GLFW_KEY_KP_3, VK_NUMPAD0 + 3, 0x51, false, '3'},
    {GLFW_KEY_KP_4, VK_NUMPAD0 + 4, 0x4B, false, '4'},
    {GLFW_KEY_KP_5, VK_NUMPAD0 + 5, 0x4C, false, '5'},
    {GLFW_KEY_KP_6, VK_NUMPAD0 + 6, 0x4D, false, '6'},
    {GLFW_KEY_KP_7, VK_NUMPAD0 + 7, 0x47, false, '7'},
    {GLFW_KEY_KP_8, VK_NUMPAD0 + 8, 0x48, false, '8'},
    {GLFW_KEY_KP_9, VK_NUMPAD0 + 9, 0x49, false, '9'},
    {GLFW_KEY_KP_DECIMAL, VK_DECIMAL, 0x53, false, '.'},
    {GLFW_KEY_KP_DIVIDE, VK_DIVIDE, 0x35, true, '/'},
    {GLFW_KEY_KP_MULTIPLY, VK_MULTIPLY, 0x37, false, '*'},
    {GLFW_KEY_KP_SUBTRACT, VK_SUBTRACT, 0x4A, false, '-'},
    {GLFW_KEY_KP_ADD, VK_ADD, 0x4E, false, '+'},
    {GLFW_KEY_KP_ENTER, VK_RETURN, 0x1C, true, 13},
    {GLFW_KEY_LEFT_SHIFT, VK_LSHIFT, 0x2A, false, 0},
    {GLFW_KEY_LEFT_CONTROL, VK_LCONTROL, 0x1D, false, 0},
    {GLFW_KEY_LEFT_ALT, VK_LMENU, 0x38, false, 0},
    {GLFW_KEY_LEFT_SUPER, VK_LWIN, 0x5B, true, 0},
    {GLFW_KEY_RIGHT_SHIFT, VK_RSHIFT, 0x36, false, 0},
    {GLFW_KEY_RIGHT_CONTROL, VK_RCONTROL, 0x1D, true, 0},
    {GLFW_KEY_RIGHT_ALT, VK_RMENU, 0x38, true, 0},
    {GLFW_KEY_RIGHT_SUPER, VK_RWIN, 0x5C, true, 0},
    {GLFW_KEY_MENU, VK_APPS, 0x5D, true, 0},
};

const KeyRow* rowByGlfw(int key) {
    for (const auto& r : kKeys)
        if (r.glfw == key) return &r;
    return nullptr;
}

const KeyRow* rowByVk(int vk) {
    // The generic modifier codes stand for their left keys.
    if (vk == VK_SHIFT) vk = VK_LSHIFT;
    if (vk == VK_CONTROL) vk = VK_LCONTROL;
    if (vk == VK_MENU) vk = VK_LMENU;
    for (const auto& r : kKeys)
        if (r.vk == vk) return &r;
    return nullptr;
}

// Bit 0x80: down; bit 0x01: toggled by each press. Written on the window
// thread, read anywhere.
std::array<std::atomic<BYTE>, 256> keyState{};
// The same for the keys as the key messages handed out so far report them
// (written by PeekMessageA): what the window thread's GetKeyState reads.
std::array<std::atomic<BYTE>, 256> readKeyState{};

// Cursor in screen coordinates, both halves in one word so that readers on
// other threads never see x of one position with y of another.
std::atomic<std::uint64_t> cursorWord{0};

void storeCursor(POINT p) {
    cursorWord.store((static_cast<std::uint64_t>(static_cast<std::uint32_t>(p.x)) << 32) |
                     static_cast<std::uint32_t>(p.y));
}

POINT loadCursor() {
    std::uint64_t v = cursorWord.load();
    return POINT{static_cast<LONG>(static_cast<std::uint32_t>(v >> 32)),
                 static_cast<LONG>(static_cast<std::uint32_t>(v & 0xffffffffu))};
}

bool onWindowThread() {
    auto& s = state();
    std::lock_guard guard(s.lock);
    return s.haveWindowThread && s.windowThread == std::this_thread::get_id();
}

// Keys whose state key messages carry: not the mouse buttons, and not the
// side-specific modifier codes (key messages name the generic ones).
bool readsWithMessages(int vk) {
    const bool mouse = vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON;
    return !mouse && !(vk >= VK_LSHIFT && vk <= VK_RMENU);
}

bool down(int vk) {
    return (keyState[vk & 0xff].load() & 0x80) != 0;
}

void setKey(int vk, bool isDown) {
    auto& k = keyState[vk & 0xff];
    BYTE old = k.load();
    BYTE toggle = old & 1;
    if (isDown && !(old & 0x80)) toggle ^= 1;
    k.store(static_cast<BYTE>((isDown ? 0x80 : 0) | toggle));
}

// The generic modifier is down while either side is.
void updateGeneric() {
    auto combine = [](int generic, int left, int right) {
        bool d = down(left) || down(right);
        BYTE t = keyState[generic].load() & 1;
        if (d && !down(generic)) t ^= 1;
        keyState[generic].store(static_cast<BYTE>((d ? 0x80 : 0) | t));
    };
    combine(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    combine(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    combine(VK_MENU, VK_LMENU, VK_RMENU);
}

int genericVk(int vk) {
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) return VK_SHIFT;
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) return VK_CONTROL;
    if (vk == VK_LMENU || vk == VK_RMENU) return VK_MENU;
    return vk;
}

WPARAM mouseKeyBits() {
    WPARAM bits = 0;
    if (down(VK_LBUTTON)) bits |= MK_LBUTTON;
    if (down(VK_RBUTTON)) bits |= MK_RBUTTON;
    if (down(VK_MBUTTON)) bits |= MK_MBUTTON;
    if (down(VK_SHIFT)) bits |= MK_SHIFT;
    if (down(VK_CONTROL)) bits |= MK_CONTROL;
    return bits;
}

// Client position of the cursor, rounded down; records the screen position.
POINT clientCursor(HWND h, double x, double y) {
    POINT c{static_cast<LONG>(std::floor(x)), static_cast<LONG>(std::floor(y))};
    POINT s = c;
    ClientToScreen(h, &s);
    storeCursor(s);
    return c;
}

MSG makeMsg(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{h, message, wParam, lParam, tickCount(), loadCursor(), 0};
}

// Serial of the key-down that GLFW reported last, so that the text of the
// same key press joins it; 0 once anything else arrived.
DWORD lastKeyDown = 0;

// The character a key makes by itself, which GLFW's text input never
// reports: the control codes of Backspace, Tab, Enter, Escape and
// Ctrl+letter. Taken when the key goes down, while Ctrl is known to be held.
char32_t controlCharacter(int vk) {
    if (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE)
        return MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_CHAR);
    if (down(VK_CONTROL) && !down(VK_MENU) && vk >= 'A' && vk <= 'Z')
        return static_cast<char32_t>(vk - 'A' + 1);
    return 0;
}

void onKey(GLFWwindow* gw, int key, int, int action, int) {
    lastKeyDown = 0;
    const KeyRow* row = rowByGlfw(key);
    if (!row) return;
    bool press = action != GLFW_RELEASE;
    bool wasDown = down(row->vk);
    bool altBefore = down(VK_LMENU);
    setKey(row->vk, press);
    updateGeneric();
    // System keys come with the left Alt only: on X11 the right one is
    // usually AltGr, which types characters.
    bool alt = press ? down(VK_LMENU) : altBefore;
    bool sys = alt && !down(VK_CONTROL);
    UINT message = press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lParam = 1 | (static_cast<LPARAM>(row->scan) << 16) | (row->extended ? (1 << 24) : 0) |
                    (alt ? (1 << 29) : 0) | ((press ? wasDown : true) ? (1 << 30) : 0) |
                    (press ? 0 : (static_cast<LPARAM>(1) << 31));
    QueuedMessage m{makeMsg(hwndOf(gw), message, static_cast<WPARAM>(genericVk(row->vk)), lParam)};
    if (press) {
        if (char32_t c = controlCharacter(row->vk)) m.chars.push_back(c);
        std::lock_guard guard(state().lock);
        if (state().nextKeySerial == 0) ++state().nextKeySerial;  // 0 means "no key-down"
        m.msg.lPrivate = lastKeyDown = state().nextKeySerial++;
    }
    enqueue(std::move(m));
}

// GLFW reports text only without Ctrl and Alt, so there is no WM_SYSCHAR
// text to carry. Every code point is kept; WM_CHAR carries it whole.
void onChar(GLFWwindow* gw, unsigned int codepoint) {
    {
        std::lock_guard guard(state().lock);
        auto& q = state().queue;
        for (auto it = q.rbegin(); lastKeyDown && it != q.rend(); ++it) {
            if (it->msg.lPrivate == lastKeyDown &&
                (it->msg.message == WM_KEYDOWN || it->msg.message == WM_SYSKEYDOWN)) {
                it->chars.push_back(codepoint);
                return;
            }
        }
    }
    // No key-down to translate with (an input method): the character comes
    // on its own.
    enqueue(QueuedMessage{makeMsg(hwndOf(gw), WM_CHAR, codepoint, 1)});
}

constexpr UINT kButtonDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
constexpr UINT kButtonUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
constexpr int kButtonVk[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};

void onButton(GLFWwindow* gw, int button, int action, int) {
    lastKeyDown = 0;
    if (button < 0 || button > 2) return;
    HWND h = hwndOf(gw);
    double x = 0, y = 0;
    glfwGetCursorPos(gw, &x, &y);
    POINT c = clientCursor(h, x, y);
    bool press = action == GLFW_PRESS;
    setKey(kButtonVk[button], press);
    QueuedMessage m{
        makeMsg(h, press ? kButtonDown[button] : kButtonUp[button], mouseKeyBits(), MAKELPARAM(c.x, c.y))};
    (press ? m.pressButton : m.releaseButton) = button + 1;
    enqueue(std::move(m));
}

void onScroll(GLFWwindow* gw, double xoffset, double yoffset) {
    lastKeyDown = 0;
    HWND h = hwndOf(gw);
    double x = 0, y = 0;
    glfwGetCursorPos(gw, &x, &y);
    clientCursor(h, x, y);
    POINT s = loadCursor();
    // GLFW: positive y scrolls up (away from the user), positive x to the
    // left; Win32: positive vertical delta away from the user, positive
    // horizontal delta to the right.
    auto wheel = [&](UINT message, double notches) {
        int delta = static_cast<int>(std::lround(notches * WHEEL_DELTA));
        if (delta == 0) return;
        enqueue(QueuedMessage{
            makeMsg(h, message, MAKEWPARAM(static_cast<int>(mouseKeyBits()), delta), MAKELPARAM(s.x, s.y))});
    };
    wheel(WM_MOUSEWHEEL, yoffset);
    wheel(WM_MOUSEHWHEEL, -xoffset);
}

void onCursor(GLFWwindow* gw, double x, double y) {
    lastKeyDown = 0;
    HWND h = hwndOf(gw);
    POINT c = clientCursor(h, x, y);
    std::shared_ptr<WindowRecord> dragged;
    {
        std::lock_guard guard(state().lock);
        auto w = findLocked(h);
        if (!w) return;
        if (w->drag.moving) dragged = w;
        // Win32 keeps one pending move per queue: replace it.
        auto& q = state().queue;
        if (!q.empty() && q.back().msg.message == WM_MOUSEMOVE && q.back().msg.hwnd == h) {
            q.back().msg.lParam = MAKELPARAM(c.x, c.y);
            q.back().msg.wParam = mouseKeyBits();
            q.back().msg.pt = loadCursor();
            return;
        }
    }
    if (dragged) {
        continueDrag(*dragged, loadCursor());
        return;
    }
    enqueue(QueuedMessage{makeMsg(h, WM_MOUSEMOVE, mouseKeyBits(), MAKELPARAM(c.x, c.y))});
}

}  // namespace

}  // namespace koui::win32

namespace koui::platform::detail {

void installInputCallbacks(GLFWwindow* w) {
    glfwSetKeyCallback(w, &onKey);
    glfwSetCharCallback(w, &onChar);
    glfwSetMouseButtonCallback(w, &onButton);
    glfwSetScrollCallback(w, &onScroll);
    glfwSetCursorPosCallback(w, &onCursor);
}

void refreshCursor() {
    GLFWwindow* gw = nullptr;
    HWND h = nullptr;
    {
        std::lock_guard guard(state().lock);
        for (auto& [id, w] : state().windows) {
            if (w->glfw && !w->destroying && w->visible) {
                gw = w->glfw;
                h = toHwnd(id);
                break;
            }
        }
    }
    if (!gw) return;
    double x = 0, y = 0;
    glfwGetCursorPos(gw, &x, &y);
    clientCursor(h, x, y);
}

void inputWindowGone(HWND hWnd) {
    if (GetFocus() != hWnd) return;
    for (auto& k : keyState) k.store(k.load() & 1);
    for (auto& k : readKeyState) k.store(k.load() & 1);
}

void keyMessageRead(UINT msg, WPARAM vk) {
    const bool press = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    if (!press && msg != WM_KEYUP && msg != WM_SYSKEYUP) return;
    auto& k = readKeyState[vk & 0xff];
    const BYTE old = k.load();
    const BYTE toggle = static_cast<BYTE>((old & 1) ^ (press && !(old & 0x80) ? 1 : 0));
    k.store(static_cast<BYTE>((press ? 0x80 : 0) | toggle));
}

}  // namespace koui::platform::detail

namespace koui::win32 {

SHORT GetKeyState(int virtKey) {
    if (virtKey <= 0 || virtKey > 0xff) return 0;
    BYTE b = keyState[virtKey].load();
    if (onWindowThread() && readsWithMessages(virtKey)) b = readKeyState[virtKey].load();
    // Win32 widens the state byte with its sign: a key that is down reads
    // 0xFF80 (bits 0x80 and 0x8000 both set).
    return static_cast<SHORT>(static_cast<signed char>(b & 0x80)) | static_cast<SHORT>(b & 1);
}

SHORT GetAsyncKeyState(int virtKey) {
    if (virtKey <= 0 || virtKey > 0xff) return 0;
    const BYTE b = keyState[virtKey].load();
    return static_cast<SHORT>(static_cast<signed char>(b & 0x80)) | static_cast<SHORT>(b & 1);
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return 0;
    *point = loadCursor();
    return 1;
}

BOOL ScreenToClient(HWND hWnd, POINT* point) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w || !point) return 0;
    point->x -= w->clientX;
    point->y -= w->clientY;
    return 1;
}

BOOL ClientToScreen(HWND hWnd, POINT* point) {
    std::lock_guard guard(state().lock);
    auto w = findLocked(hWnd);
    if (!w || !point) return 0;
    point->x += w->clientX;
    point->y += w->clientY;
    return 1;
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
    switch (mapType) {
        case MAPVK_VK_TO_CHAR: {
            const KeyRow* r = rowByVk(static_cast<int>(code));
            return r ? static_cast<UINT>(static_cast<unsigned char>(r->ch)) : 0;
        }
        case MAPVK_VK_TO_VSC: {
            const KeyRow* r = rowByVk(static_cast<int>(code));
            return r ? r->scan : 0;
        }
        case MAPVK_VSC_TO_VK:
            for (const auto& r : kKeys)
                if (r.scan == code && !r.extended && !(r.vk >= VK_NUMPAD0 && r.vk <= VK_DIVIDE))
                    return static_cast<UINT>(genericVk(r.vk));
            return 0;
        default:
            return 0;
    }
}

}  // namespace koui::win32
