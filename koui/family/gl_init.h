// Start-up of the GL drawing layer on the calling thread's context.
#pragma once

namespace ko::gl {

// Loads the OpenGL entry points for the context current on the calling
// thread and checks that it can run this layer: OpenGL 3.3 or later with the
// compatibility profile's fixed-function calls beside GLSL programs. Call it
// once on each GL thread after making its context current and before any
// other call of this layer. Returns false, with the reason through appmsg,
// when there is no current context or it is too old.
bool initLib();

}  // namespace ko::gl
