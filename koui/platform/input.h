// Keyboard and pointer state as Win32 reports it.
//
// GLFW's callbacks on the window thread record every key and button change
// and the cursor position; these functions read that record and may be
// called from any thread. Key codes are Win32 virtual keys, mapped from
// GLFW keys (letters, digits, function keys, arrows, Home/End, Page Up/Down,
// Insert/Delete, Tab, Enter, Escape, Backspace, Space, punctuation, keypad,
// and the modifiers, whose left/right codes also count for the generic
// VK_SHIFT, VK_CONTROL and VK_MENU).
//
// Messages made from input:
//  - WM_{L,R,M}BUTTON{DOWN,UP}: lParam = client position (signed 16-bit
//    words), wParam = MK_* bits of the buttons and Shift/Ctrl after the
//    change.
//  - WM_MOUSEMOVE: same packing.
//  - WM_MOUSEWHEEL / WM_MOUSEHWHEEL: high word of wParam = 120 per notch
//    (positive away from the user / to the right), low word = MK_* bits,
//    lParam = screen position.
//  - WM_KEYDOWN / WM_KEYUP (WM_SYSKEYDOWN / WM_SYSKEYUP while the left Alt
//    is held without Ctrl; the right Alt key is AltGr on most X11 layouts
//    and types characters instead): wParam = virtual key (VK_SHIFT,
//    VK_CONTROL, VK_MENU for either side), lParam = repeat count 1, scan
//    code in bits 16-23, extended-key bit 24, Alt bit 29, previous state
//    bit 30, transition bit 31. Held keys repeat as further key-downs with
//    bit 30 set.
//  - WM_CHAR: see TranslateMessage.
//
// Key state. The input state follows input as GLFW reports it, so while
// messages wait in the queue it is ahead of them; GetAsyncKeyState, and
// GetKeyState on any thread but the window thread, read it. On the window
// thread GetKeyState reads the keys as the key messages handed out so far
// report them, as a Win32 thread's state follows the messages it reads: a
// window procedure handling a key-down sees the modifiers held with that
// key, even when the whole chord was typed before the queue was read. The
// mouse buttons and the side-specific modifier codes (VK_LSHIFT...) always
// read the input state.
#pragma once

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

namespace koui::win32 {

// 0xFF80 (negative, bit 0x80 and 0x8000 set) while the key is down, plus
// bit 1 toggled by each press. Unknown codes give 0.
KOUI_API SHORT GetKeyState(int virtKey);
// The same state (there is one input state for all threads).
KOUI_API SHORT GetAsyncKeyState(int virtKey);

// Last known cursor position in screen coordinates. Refreshed by pointer
// callbacks and by every PeekMessageA, also while the pointer is outside
// the windows. 0 when `point` is null.
KOUI_API BOOL GetCursorPos(POINT* point);
// Screen <-> client coordinates of a window, from its recorded geometry.
KOUI_API BOOL ScreenToClient(HWND hWnd, POINT* point);
KOUI_API BOOL ClientToScreen(HWND hWnd, POINT* point);

// MAPVK_VK_TO_CHAR: the unshifted character of a key ('A'..'Z' upper case,
// digits, punctuation of a US layout, 8, 9, 13, 27 and ' ' for Backspace,
// Tab, Enter, Escape and Space), 0 when the key makes none.
// MAPVK_VK_TO_VSC / MAPVK_VSC_TO_VK: set-1 scan codes. Other kinds: 0.
KOUI_API UINT MapVirtualKeyA(UINT code, UINT mapType);

}  // namespace koui::win32
