#include "koui/family/gl_init.h"

#include <GL/glew.h>

#include "koui/family/appmsg.h"

namespace ko::gl {

bool initLib() {
    // Core and compatibility contexts report extensions differently; without
    // this GLEW leaves entry points of newer versions unloaded.
    glewExperimental = GL_TRUE;
    const GLenum status = glewInit();
    // glewInit may leave a harmless GL_INVALID_ENUM behind; clear it so that
    // callers checking glGetError see only their own errors.
    while (glGetError() != GL_NO_ERROR) {
    }
    if (status != GLEW_OK) {
        appmsg("[ERROR] ko::gl::initLib: %s", reinterpret_cast<const char*>(glewGetErrorString(status)));
        return false;
    }
    if (!GLEW_VERSION_3_3) {
        const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        appmsg("[ERROR] ko::gl::initLib: OpenGL 3.3 or later needed, context has %s",
               version ? version : "(none)");
        return false;
    }
    return true;
}

}  // namespace ko::gl
