// koui::app::e_wndmsg: one native window message, as the window procedure
// received it, copied by value into the window's queue for its GL thread.
//
// The pointer event codes and modifier bits that the GL worker makes from
// these messages are the element core's (koui/ui/events.h); they are named
// here again so that application code written against koui::app finds them
// under that namespace too.
#pragma once

#include <cstdint>

#include "koui/export.h"
#include "koui/platform/win32_types.h"
#include "koui/ui/events.h"

namespace koui::app {

struct KOUI_API e_wndmsg {
    win32::HWND hWnd = nullptr;
    win32::UINT msg = 0;
    win32::WPARAM wParam = 0;
    win32::LPARAM lParam = 0;
    // What the window procedure returns when a handler claims the message.
    win32::LRESULT result = 0;
    // Added: the modifier bits (MOD_*) held when the window procedure got
    // the message. The GL thread takes it up to a cycle later, when a quick
    // chord may already be released.
    uint32_t mods = 0;
};

using koui::MT_LDOWN;
using koui::MT_LUP;
using koui::MT_MDOWN;
using koui::MT_MOVE;
using koui::MT_MUP;
using koui::MT_RDOWN;
using koui::MT_RUP;
using koui::MT_WHEEL;

using koui::MOD_ALT;
using koui::MOD_CTRL;
using koui::MOD_SHIFT;

}  // namespace koui::app
