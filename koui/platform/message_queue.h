// The message queue of the window thread.
//
// There is one queue, the window thread's (see window.h). Input arrives
// through GLFW's callbacks while PeekMessageA polls GLFW; it is queued in the
// order GLFW reports it, together with the messages that PostMessageA adds.
//
// Threads:
//  - PostMessageA and PostQuitMessage may be called from any thread; posting
//    wakes a window thread that waits in GLFW.
//  - PeekMessageA, WaitMessage, TranslateMessage, DispatchMessageA belong to
//    the window thread. PeekMessageA on another thread finds no message (returns 0), as
//    that thread's own Win32 queue would be empty.
//  - SendMessageA calls the procedure directly on the window thread; from
//    another thread it is handed over and waits, as on Win32.
#pragma once

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

namespace koui::win32 {

// Queues a message for `hWnd` (or a thread message when hWnd is null). A
// destroyed or invalid window gives 0 with ERROR_INVALID_WINDOW_HANDLE.
KOUI_API BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Never blocks: polls GLFW (running its callbacks), runs calls handed over
// from other threads, then hands out the oldest queued message that matches
// `hWnd` (null: any) and the range [filterMin, filterMax] (both 0: any).
// WM_QUIT is handed out only when no other message waits, as on Win32.
// A button press is turned into its final message here: the window's
// procedure is asked WM_NCHITTEST, and CS_DBLCLKS classes get
// WM_*BUTTONDBLCLK for a second press within 500 ms and 4 pixels.
// Returns 1 with *msg filled, or 0 when nothing waits.
KOUI_API BOOL PeekMessageA(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeMsg);

// Blocks until a message waits in the queue (input, a posted message or a
// pending WM_QUIT), serving calls handed over from other threads meanwhile.
// Only the window thread may wait; elsewhere it fails with
// ERROR_NOT_SUPPORTED.
KOUI_API BOOL WaitMessage();

// Posts WM_CHAR (WM_SYSCHAR for WM_SYSKEYDOWN) for the text typed with a
// key-down message, ahead of everything else in the queue: the characters
// of GLFW's text input, and the control characters of Backspace (8), Tab
// (9), Enter (13), Escape (27) and Ctrl+letter (1..26). wParam is the
// character's Unicode code point, whole, also beyond Latin-1 (where a
// Win32 A-window would get bytes of a code page; there is no code page
// here, and the toolkit keeps its text in UTF-8). The text is taken when the key goes down, so the
// modifiers of that moment count. Without TranslateMessage no WM_CHAR
// comes, as on Win32. Returns 1 when the message was a key-down.
KOUI_API BOOL TranslateMessage(const MSG* msg);

// Calls the window's procedure with the message; returns its result (0 for
// thread messages and windows that are gone).
KOUI_API LRESULT DispatchMessageA(const MSG* msg);

KOUI_API LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Makes the queue hand out WM_QUIT (wParam = exitCode) once it holds no
// other message.
KOUI_API void PostQuitMessage(int exitCode);

}  // namespace koui::win32
