// Window geometry shared by the window functions (internal).
#pragma once

#include <cstdint>

#include "koui/platform/detail/state.h"
#include "koui/platform/window.h"

namespace koui::platform::detail {

using namespace koui::win32;

HWND hwndOf(GLFWwindow* w);
// Whether a window of this style gets decorations from the window manager.
bool decorated(DWORD style);
// Reads the decoration sizes of a window (window thread).
void updateFrame(WindowRecord& w);
bool inNormalState(const WindowRecord& w);
using koui::platform::kMaxWindowCoordinate;
using koui::platform::kMaxWindowSide;
// The rectangle at (x, y) of width x height, brought within the window
// limits (sizes at least 1). 64-bit arguments: x + width cannot overflow.
RECT boundedRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height);
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
