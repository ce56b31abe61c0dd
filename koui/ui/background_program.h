// The background program of styled elements: one GLSL program for the whole
// process, made on first use on a GL thread and kept until the process ends,
// and a vertex array object per context.
//
// The program draws one quad without vertex buffers: vertex i (0..3) takes
// the corner (0, 0), (1, 0), (0, 1), (1, 1) of the rectangle `pos`, `size`
// under `mvp`. The fragment stage rounds the corners by `border_radius`
// (discarding outside it and blending the outer pixel ring into
// `border_color`) and paints a hard border `border_size` pixels wide along
// the straight edges; `bkcolor` fills the rest.
//
// Contexts. Programs are shared between contexts that share objects, vertex
// array objects never are: each thread makes one for the context current on
// it (again when another context becomes current there), so the bind works
// on every window's context.
//
// Threads. Creation is guarded, so two windows drawing their first
// backgrounds at once make one program; drawing itself touches nothing
// shared but the GL objects.
#pragma once

namespace ko::glsl {
class Program;
}

namespace koui::background {

// GLSL 4.30 source texts of the two stages.
extern const char* const kVertex;
extern const char* const kFragment;

// The shared program, made now if this is the first call
// (or the earlier tries failed). False, with `*program` null, when the
// program does not compile or link; the next call tries again. `*vertexArray`
// is an (empty) vertex array object of the current context. Needs a current
// GL context.
bool acquire(ko::glsl::Program** program, unsigned* vertexArray);

}  // namespace koui::background
