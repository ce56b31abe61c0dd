// Start-up of the GL drawing layer on the calling thread's context.
#pragma once

#include "koui/export.h"

namespace ko::gl {

// Loads the OpenGL entry points for the context current on the calling
// thread and checks that it can run this layer: OpenGL 3.3 or later with the
// compatibility profile's fixed-function calls beside GLSL programs. Call it
// once on each GL thread after making its context current and before any
// other call of this layer. Returns false, with the reason through appmsg,
// when there is no current context or it is too old.
//
// The first call also raises the C library's heap trim threshold to 64 MiB
// (glibc only), a process-wide setting: a software GL driver frees its frame
// memory after every frame, and returning it to the system each time costs
// several times the drawing itself. An application that sets the threshold
// itself (GLIBC_TUNABLES with "glibc.malloc.trim_threshold") is left alone.
KOUI_API bool initLib();

}  // namespace ko::gl
