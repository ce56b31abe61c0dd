#include "koui/family/gl_init.h"

#include <GL/glew.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace ko::gl {

namespace {

// A driver that renders in software allocates the frame's command memory
// from the heap and frees it when the frame is done. By default the C
// library gives the freed top of the heap back to the system at once, so the
// next frame takes it again page by page: with many state changes per frame
// (a text between backgrounds) the page faults and first-touch copies cost
// several times the drawing itself. Keeping up to 64 MiB of freed heap
// avoids that churn; it is a process-wide setting, made once.
constexpr int kKeptFreeHeap = 64 << 20;

void keepFreedHeapForFrames() {
#if defined(M_TRIM_THRESHOLD)
    static std::once_flag once;
    std::call_once(once, [] {
        const char* tunables = std::getenv("GLIBC_TUNABLES");
        if (tunables && std::strstr(tunables, "malloc.trim_threshold")) return;  // the application's choice
        mallopt(M_TRIM_THRESHOLD, kKeptFreeHeap);
    });
#endif
}

}  // namespace

bool initLib() {
    keepFreedHeapForFrames();
    // GLEW before 2.0 asked core contexts for their extensions in a way they
    // do not answer, and then left the entry points of newer versions
    // unloaded unless glewExperimental was set. Later versions ask properly,
    // and the flag only makes them look up every entry point of every
    // extension they know, advertised or not: twice the lookups, each a
    // system call in the GL dispatch library here (5 of the 10 ms glewInit
    // took at start-up on the software renderer).
    const auto* major = reinterpret_cast<const char*>(glewGetString(GLEW_VERSION_MAJOR));
    glewExperimental = major && std::atoi(major) < 2 ? GL_TRUE : GL_FALSE;
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
