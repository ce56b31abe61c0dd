// Worker threads and waits, shaped after Win32, on std::thread and POSIX.
//
// A thread handle stays valid until CloseHandle, also after the thread has
// ended; closing it does not stop the thread. All functions may be called
// from any thread.
//
// Priorities map onto the thread's nice value, relative to the value it
// inherited from its creator (HIGHEST -10, ABOVE_NORMAL -5, BELOW_NORMAL +5,
// LOWEST +10, IDLE +19, TIME_CRITICAL -20, clamped to -20..19).
// Raising a thread above the default needs a privilege that ordinary Linux
// users lack; then the thread keeps its default priority and
// SetThreadPriority still reports success, so that windows work for every
// user. GetThreadPriority returns the priority that was asked for.
#pragma once

#include <cstddef>

#include "koui/export.h"
#include "koui/platform/system.h"

namespace koui::win32 {

constexpr int THREAD_PRIORITY_IDLE = -15;

// `attributes` is ignored and `stackSize` 0 means the default. With
// CREATE_SUSPENDED the thread waits for ResumeThread before it calls
// `start`. Null on failure, with the error code set.
KOUI_API HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, std::size_t stackSize,
                             LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, DWORD* threadId);
KOUI_API BOOL SetThreadPriority(HANDLE thread, int priority);
KOUI_API int GetThreadPriority(HANDLE thread);
// Returns the previous suspend count, or 0xFFFFFFFF for an invalid handle.
KOUI_API DWORD ResumeThread(HANDLE thread);
// WAIT_OBJECT_0 when the thread has ended, WAIT_TIMEOUT, or WAIT_FAILED for
// an invalid handle. On the window thread, calls handed over by other
// threads (window.h) keep running while it waits.
KOUI_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// STILL_ACTIVE while the thread runs, else the start routine's result.
KOUI_API BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
KOUI_API BOOL CloseHandle(HANDLE handle);
KOUI_API DWORD GetCurrentThreadId();
KOUI_API void Sleep(DWORD milliseconds);

}  // namespace koui::win32

namespace koui::platform {

// Names the calling thread for debuggers, profilers and /proc (at most 15
// bytes are kept), so that the toolkit's threads can be told apart from
// the GL driver's.
KOUI_API void setCurrentThreadName(const char* name);

}  // namespace koui::platform
