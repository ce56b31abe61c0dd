// The background program of styled elements: one GLSL program per context
// (see ko::gl::contextProgram), made on the context's first use, and the
// context's vertex array object.
//
// The program draws one quad without vertex buffers: vertex i (0..3) takes
// the corner (0, 0), (1, 0), (0, 1), (1, 1) of the rectangle `pos`, `size`
// under `mvp`. The fragment stage rounds the corners by `border_radius`
// (discarding outside it and blending the outer pixel ring into
// `border_color`) and paints a hard border `border_size` pixels wide along
// the straight edges; `bkcolor` fills the rest.
//
// Threads. Each window's GL thread uses its own context's program, so the
// uniforms one window sets never reach another window's draws.
#pragma once

#include "koui/export.h"

namespace ko::glsl {
class Program;
}

namespace koui::background {

// GLSL 4.30 source texts of the two stages.
KOUI_API extern const char* const kVertex;
KOUI_API extern const char* const kFragment;

// The current context's program, made now if this is its first call.
// False, with `*program` null, when the program does not compile or link
// (the log is written once; the context does not try again). `*vertexArray`
// is the current context's (empty) vertex array object. Needs a current GL
// context.
KOUI_API bool acquire(ko::glsl::Program** program, unsigned* vertexArray);

}  // namespace koui::background
