// Connected monitors: which one a rectangle is on, and its whole and work
// areas in virtual-screen coordinates.
//
// A monitor handle is the monitor's place in the window system's list plus
// one (the primary monitor comes first); it stays good while the set of
// monitors does not change. Both functions run on the window thread and,
// like creating a window, make the calling thread that thread when there is
// none yet. Without a display there are no monitors: MonitorFromRect gives
// null whatever the fallback and GetMonitorInfoA fails.
#pragma once

#include "koui/export.h"
#include "koui/platform/win32_constants.h"
#include "koui/platform/win32_types.h"

namespace koui::win32 {

// The monitor with the largest share of `rect`; when `rect` touches none,
// what `flags` asks for: null (MONITOR_DEFAULTTONULL), the primary monitor
// (MONITOR_DEFAULTTOPRIMARY) or the one nearest to `rect`
// (MONITOR_DEFAULTTONEAREST).
KOUI_API HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
// Fills `info` (whose cbSize the caller sets to sizeof(MONITORINFO)).
KOUI_API BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);

}  // namespace koui::win32
