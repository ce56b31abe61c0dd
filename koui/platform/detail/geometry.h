// Window geometry shared by the window functions (internal).
#pragma once

#include "koui/platform/detail/state.h"

namespace koui::platform::detail {

using namespace koui::win32;

HWND hwndOf(GLFWwindow* w);
// Whether a window of this style gets decorations from the window manager.
bool decorated(DWORD style);
// Reads the decoration sizes of a window (window thread).
void updateFrame(WindowRecord& w);
bool inNormalState(const WindowRecord& w);
// Work area of the primary monitor.
RECT workArea();
// Places the client area so that the outer rectangle becomes `outer` and
// records it (window thread).
void setOuter(WindowRecord& w, const RECT& outer);
// The MINMAXINFO that WM_GETMINMAXINFO starts from.
MINMAXINFO defaultMinMax(const WindowRecord& w);
void installGeometryCallbacks(GLFWwindow* gw);
void maximize(WindowRecord& w);
void restore(WindowRecord& w);

}  // namespace koui::platform::detail
