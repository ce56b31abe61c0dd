// GL objects that each context keeps for itself: an empty vertex array
// object for programs that draw without vertex buffers (the corners come
// from the vertex index), and the programs of the drawing layers.
//
// Vertex array objects are never shared between contexts. Programs could
// be, as the windows' contexts share objects, but a program's uniform
// values are state of the program itself: two windows' GL threads setting
// uniforms of one shared program and drawing with it would each now and
// then draw with the other's values (and race on its uniform-location
// cache). So every context gets its own.
//
// Each thread keeps the objects it made for the context current on it and
// keeps separate sets when it draws for several contexts in turn. They live
// until releaseContextObjects(), which the owner of a context calls, with the
// context current, before the context goes (a window's GL worker does so in
// its teardown); a context torn down without that call leaves them to its
// share group, which the driver frees with the last context of the group.
#pragma once

#include "koui/export.h"

namespace ko::glsl {
class Program;
}

namespace ko::gl {

// The source of one program. Its address is the program's identity, so
// define one static instance per program.
struct KOUI_API ProgramText {
    const char* vertex;
    const char* fragment;
};

// The current context's empty vertex array object. Needs a current context.
KOUI_API unsigned contextVertexArray();

// The current context's program built from `text`: built on the first call,
// then kept. Null when it does not compile or link (the compiler's log goes
// out through appmsg once; the context does not try again). Needs a current
// context.
KOUI_API glsl::Program* contextProgram(const ProgramText& text);

// Deletes the objects above made for the current context on this thread.
KOUI_API void releaseContextObjects();

}  // namespace ko::gl
