// An empty vertex array object of the GL context current on the calling
// thread, for programs that draw without vertex buffers (the corners come
// from the vertex index).
//
// Vertex array objects belong to one context; programs and textures are
// shared between contexts that share objects, these never are. Each thread
// keeps the one it made for the context current on it and makes another
// when a different context has become current there (a window's GL worker
// owns one context, so that happens only when a thread draws for several).
// Every drawer of the thread shares it: it carries no state of its own.
#pragma once

namespace ko::gl {

// Needs a current GL context.
unsigned contextVertexArray();

}  // namespace ko::gl
