// The small rest of the window-system layer: error codes, paths, time and the
// module, icon, cursor and brush handles that window classes name.
//
// Every function here may be called from any thread.
#pragma once

#include "koui/export.h"
#include "koui/platform/win32_constants.h"

namespace koui::win32 {

// Error code of the last failing call of this layer on the calling thread.
KOUI_API DWORD GetLastError();
KOUI_API void SetLastError(DWORD code);

// Milliseconds since an arbitrary start (monotonic; wraps after 49.7 days).
KOUI_API DWORD GetTickCount();

// Makes `fileName` absolute against the current directory and removes "."
// and ".." components lexically, as Win32 does. Separators are '/'; a
// trailing separator is kept. Returns the length without the terminating
// zero when `buffer` (of `bufferLength` bytes) holds it; otherwise the size
// needed including the terminator, writing nothing. 0 on failure (null or
// empty name, no current directory). `filePart`, when given, receives the
// last component within `buffer`, or null when the path ends in '/'.
KOUI_API DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// There are no modules, icon or cursor resources: these return fixed
// non-null tokens so that class registration code runs unchanged. A null
// module name gives the program's own module token.
KOUI_API HMODULE GetModuleHandleA(LPCSTR moduleName);
KOUI_API HICON LoadIconA(HINSTANCE instance, LPCSTR name);
KOUI_API HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// A token for the stock brushes (WHITE_BRUSH .. NULL_BRUSH); null otherwise.
KOUI_API HGDIOBJ GetStockObject(int object);

}  // namespace koui::win32

namespace koui::platform {

// Where the layer reports failures of the window system itself (a line
// such as "[ERROR] window system: ... (GLFW error 0x10008)"). Without a
// sink the line goes to standard error; the window manager routes it to the
// toolkit's message sink. May be set from any thread.
using ErrorSink = void (*)(const char* line);
KOUI_API void setErrorSink(ErrorSink sink);
KOUI_API void reportError(const char* line);

}  // namespace koui::platform
