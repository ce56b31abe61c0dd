// Window classes and windows of the window-system layer.
//
// A window is a GLFW window with its own OpenGL context (compatibility
// profile, 24-bit depth, 8-bit stencil, double-buffered), sharing objects
// with the other windows' contexts. Messages reach the class procedure as on
// Win32: CreateWindowExA sends WM_GETMINMAXINFO (before the procedure could
// bind the window to anything), WM_NCCREATE (lParam: the CREATESTRUCTA),
// WM_NCCALCSIZE (lParam: the outer RECT), WM_CREATE (the CREATESTRUCTA),
// WM_GETMINMAXINFO again (its answer becomes the size limits), then
// WM_SHOWWINDOW for a WS_VISIBLE window, WM_SIZE and WM_MOVE, all before it
// returns. DestroyWindow sends WM_DESTROY and WM_NCDESTROY (child windows
// go between the two); afterwards the handle is invalid everywhere, and a
// handle is never reused.
//
// Threads. GLFW allows window calls only on the process's main thread; the
// thread that first creates a window or pumps messages is taken to be it
// (the "window thread"). Window procedures run only there.
//  - CreateWindowExA, DestroyWindow, ShowWindow, MoveWindow, SetFocus,
//    SetForegroundWindow, SetCapture, ReleaseCapture, SendMessageA: on the
//    window thread they act at once; from another thread they are handed to
//    the window thread, which runs them during its next PeekMessageA or
//    WaitMessage (or while it waits in WaitForSingleObject), and the caller
//    waits for the result (at most 10 s; then the call fails with
//    ERROR_NOT_SUPPORTED). Any window such a
//    call creates belongs to the window thread.
//  - Everything else here (class registration, window data, rectangles,
//    placement, GetDC, GetFocus, GetCapture, IsWindow) may be called from any
//    thread: rectangles come from the geometry that GLFW's callbacks record.
//
// Deviations that keep the intent on X11:
//  - Decorations belong to the window manager, so every pointer event lies
//    in the client area; WM_NCHITTEST is asked on each button press and a
//    non-client answer turns the press into WM_NC*BUTTONDOWN (screen
//    position in lParam). DefWindowProcA on WM_NCLBUTTONDOWN with HTCAPTION
//    moves the window with the pointer until the button is released, and
//    with HTLEFT..HTBOTTOMRIGHT resizes it; a borderless window whose
//    procedure answers HTCAPTION for a region is thus dragged by it.
//  - WM_GETMINMAXINFO is sent at creation, after WM_CREATE and after every
//    size change (not before each size step); the track sizes of the answer
//    become GLFW's size limits of the client area.
//  - A window is at most kMaxWindowSide pixels on a side and its position
//    within +-kMaxWindowCoordinate: larger requests to CreateWindowExA and
//    MoveWindow are cut down to these.
//  - WS_CHILD windows become undecorated top-level windows placed at the
//    parent's client origin plus (x, y); they do not move with the parent.
//  - Window rectangles include the decoration sizes that the window manager
//    reports (none under a bare X server); x, y, w, h of CreateWindowExA
//    are outer values as on Win32.
//  - Without a window manager, SW_MAXIMIZE is carried out by this layer
//    (the window covers its monitor's work area) so that placement and
//    restore behave as on Win32.
#pragma once

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

namespace koui::platform {

// X11 keeps window positions and sizes in 16 bits, and a window far bigger
// than any screen only costs memory (a 16 384-pixel square takes gigabytes
// of buffers). Like Win32's maximum tracking size, these bound every window,
// whatever a caller or a stored placement asks for.
constexpr int kMaxWindowSide = 8192;
constexpr int kMaxWindowCoordinate = 16384;

}  // namespace koui::platform

namespace koui::win32 {

// Class names compare case-insensitively. Registering a name twice fails
// with ERROR_CLASS_ALREADY_EXISTS; a wrong cbSize or a missing procedure or
// name fails with ERROR_INVALID_PARAMETER. Returns a non-zero atom.
KOUI_API ATOM RegisterClassA(const WNDCLASSA* wc);
KOUI_API ATOM RegisterClassExA(const WNDCLASSEXA* wc);
KOUI_API BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Null on failure (unknown class: ERROR_CANNOT_FIND_WND_CLASS; no display or
// no GL context: ERROR_NOT_SUPPORTED; WM_NCCREATE answered 0 or WM_CREATE
// answered -1: the window is destroyed again). CW_USEDEFAULT is accepted
// for the position (the system places the window) and the size (640x480).
KOUI_API HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                              int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                              LPVOID param);
// Sends WM_DESTROY and WM_NCDESTROY, then frees the window. A second call or
// an invalid handle gives 0 with ERROR_INVALID_WINDOW_HANDLE.
KOUI_API BOOL DestroyWindow(HWND hWnd);
KOUI_API BOOL IsWindow(HWND hWnd);

// The default handling: WM_NCCREATE 1; WM_CLOSE destroys the window;
// WM_NCHITTEST answers from the window rectangle and style (HTCLIENT inside
// the client area, HTCAPTION in a caption, HTBORDER on other decoration,
// HTNOWHERE outside); non-client presses start move/size drags (see above);
// WM_SYSCOMMAND handles SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE;
// WM_GETMINMAXINFO leaves the structure alone; everything else 0.
KOUI_API LRESULT DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// GWLP_USERDATA, GWL_STYLE, GWL_EXSTYLE, GWLP_WNDPROC (the procedure that
// receives the messages; setting it subclasses the window). Other indexes
// and invalid windows give 0 with an error code. Set returns the previous
// value.
KOUI_API LONG_PTR GetWindowLongPtrA(HWND hWnd, int index);
KOUI_API LONG_PTR SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR value);

// Device contexts are the window's own (CS_OWNDC semantics for every class):
// the same handle for every call, valid until the window is destroyed.
KOUI_API HDC GetDC(HWND hWnd);
KOUI_API int ReleaseDC(HWND hWnd, HDC dc);
KOUI_API HWND WindowFromDC(HDC dc);

// Client rectangle: (0, 0, width, height). Window rectangle: the outer
// rectangle in screen coordinates.
KOUI_API BOOL GetClientRect(HWND hWnd, RECT* rect);
KOUI_API BOOL GetWindowRect(HWND hWnd, RECT* rect);
// showCmd is SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED or SW_SHOWNORMAL (also for
// a hidden window, as on Win32); rcNormalPosition is the restored outer
// rectangle; length is set to sizeof(WINDOWPLACEMENT).
KOUI_API BOOL GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* placement);

// Returns whether the window was visible before.
KOUI_API BOOL ShowWindow(HWND hWnd, int cmdShow);
KOUI_API BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);

// Keyboard focus and foreground: both raise and focus the GLFW window.
// SetFocus returns the previous focus window.
KOUI_API HWND SetFocus(HWND hWnd);
KOUI_API HWND GetFocus();
KOUI_API BOOL SetForegroundWindow(HWND hWnd);

// Capture: X11 already keeps pointer events with the window where a button
// went down until it is released; these record the capture window and send
// WM_CAPTURECHANGED to the window that loses it.
KOUI_API HWND SetCapture(HWND hWnd);
KOUI_API BOOL ReleaseCapture();
KOUI_API HWND GetCapture();

}  // namespace koui::win32
