// The system clipboard, as UTF-8 text: copy and paste of text fields.
//
// Win32's clipboard is a set of handles in many formats, opened and closed
// around each use; fields here only ever put and take text, so the layer
// offers just that, in two calls.
//
// GLFW serves the clipboard on the window thread only (on X11 that thread
// also answers, in its message pump, the other programs that ask for text
// this process put there). Both calls may be made from any thread:
//  - SetClipboardText never waits. From another thread it is handed to the
//    window thread, which does it at its next PeekMessageA or WaitMessage
//    (or while it waits for a thread). Calls handed over are done in the
//    order they were made, so a later GetClipboardText sees the text.
//  - GetClipboardText waits for the window thread, at most `timeoutMs`. A
//    GL worker must not call it while it holds its window's message lock,
//    that is from an element's input handler: the window thread may be
//    blocked on that lock. An edit field reads in its iterate instead.
// Without a display there is no clipboard: both calls fail.
#pragma once

#include <string>

#include "koui/export.h"
#include "koui/platform/win32_types.h"

namespace koui::win32 {

// Puts `utf8` on the clipboard (null counts as empty). 0 without a display.
KOUI_API BOOL SetClipboardText(const char* utf8);

// The clipboard's text into `out`; 0, with `out` emptied, when there is no
// display, the clipboard holds no text, or the window thread did not
// answer within `timeoutMs`.
KOUI_API BOOL GetClipboardText(std::string& out, DWORD timeoutMs);

}  // namespace koui::win32
