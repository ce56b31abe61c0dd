// Pixel formats and OpenGL contexts, shaped after WGL.
//
// Each window is made with its context (see window.h), so the calls that
// choose a format and create a context find and hand out that context
// instead of making a new one:
//  - ChoosePixelFormat / wglChoosePixelFormatARB find format 1 when the
//    device context's window has a GL context whose framebuffer satisfies
//    the request (double-buffered RGBA, at most 32 colour, 8 alpha, 24 depth
//    and 8 stencil bits, drawing to a window); otherwise none.
//  - SetPixelFormat accepts format 1 once per window and fails afterwards
//    with another format, as on Win32 where the format cannot change.
//  - wglCreateContext and wglCreateContextAttribsARB return the window's
//    context. The context is always the compatibility profile that the
//    window was made with: the toolkit mixes GLSL programs with
//    fixed-function matrix calls, which a core profile lacks, so a requested
//    profile mask and debug flag are accepted and not applied. A requested
//    major.minor version above the context's fails.
//  - wglMakeCurrent binds the context to the calling thread (null context:
//    releases the thread's context) and, the first time per window, sets
//    swap interval 1. wglDeleteContext releases nothing: the context lives
//    until its window is destroyed.
//  - SwapBuffers presents the back buffer of the device context's window.
// All of these may be called from any thread; a context is current on at
// most one thread at a time (the GL worker of its window).
#pragma once

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

namespace koui::win32 {

KOUI_API int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd);
KOUI_API int DescribePixelFormat(HDC dc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* pfd);
KOUI_API BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* pfd);
KOUI_API BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttribs, const float* floatAttribs,
                                      UINT maxFormats, int* formats, UINT* numFormats);
KOUI_API HGLRC wglCreateContext(HDC dc);
KOUI_API HGLRC wglCreateContextAttribsARB(HDC dc, HGLRC share, const int* attribs);
KOUI_API BOOL wglDeleteContext(HGLRC context);
KOUI_API BOOL wglMakeCurrent(HDC dc, HGLRC context);
KOUI_API HGLRC wglGetCurrentContext();
KOUI_API BOOL SwapBuffers(HDC dc);

}  // namespace koui::win32

namespace koui::platform {

// A key for the OpenGL context current on the calling thread, however it was
// made current (through wglMakeCurrent or directly on the window system, as
// the GL test harness does); null when none is. The drawing layers keep
// their per-context objects under it.
KOUI_API const void* currentGLContextKey();

}  // namespace koui::platform
