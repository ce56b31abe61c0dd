// The window-system layer: the subset of Win32 that the toolkit's window
// code uses, with Win32's names, numbers and semantics, implemented on
// GLFW 3 and POSIX. This folder is the only part of the library that knows
// GLFW. Each header says which of its functions may be called from which
// thread.
#pragma once

#include "koui/platform/clipboard.h"
#include "koui/platform/gl_context.h"
#include "koui/platform/input.h"
#include "koui/platform/message_queue.h"
#include "koui/platform/monitor.h"
#include "koui/platform/profile.h"
#include "koui/platform/system.h"
#include "koui/platform/threads.h"
#include "koui/platform/win32_constants.h"
#include "koui/platform/win32_types.h"
#include "koui/platform/window.h"
